// The scene factory: turns JSON scene text into trees of scene windows. It
// keeps a registry of widget type names, makes the widget each node names
// (or updates the existing one the node names by its title), applies the
// node's keys and builds its children. A singleton in slot 4.
#pragma once

#include "qz7gui.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Raised for a class name the registry does not know.
class EQZGUIFactoryError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

using TQZGUIMaker = std::function<std::unique_ptr<TQZGUIWindow>()>;

// A widget class as the registry knows it.
struct TQZGUIClassEntry {
    TQZGUIMaker make;          // empty: no class
    std::string className;     // "TQZGUIButton"
    int32_t priority = 0;
    std::string typeName;      // at most 19 characters, lower case
};

template <class W> TQZGUIClassEntry GUIClassOf()
{
    TQZGUIClassEntry e;
    e.make = [] { return std::unique_ptr<TQZGUIWindow>(std::make_unique<W>()); };
    e.className = W().ClassName();
    return e;
}

// Builds a window for a class the registry does not know: the node's text
// and the parent; the window comes back unattached.
using TQZGUICreateCallback =
    std::function<std::unique_ptr<TQZGUIWindow>(const std::string& text, TQZGUIWindow* parent)>;

class TQZGUIFactory : public TQZClassSingleton {
public:
    TQZGUIFactory();
    ~TQZGUIFactory() override;

    static constexpr size_t TYPE_NAME_LENGTH = 19;

    // Replaces an entry of the same name only with a greater priority.
    void RegisterClass(const std::string& name, TQZGUIClassEntry entry, int32_t priority);
    template <class W> void RegisterClass(const std::string& name, int32_t priority)
    {
        RegisterClass(name, GUIClassOf<W>(), priority);
    }
    // By type name, then by class name, in registry order; an empty entry
    // when none matches.
    TQZGUIClassEntry FindClass(const std::string& name) const;
    int32_t EntryCount() const { return int32_t(registry_.size()); }
    const TQZGUIClassEntry& Entry(int32_t i) const { return registry_[size_t(i)]; }

    // Builds or updates from one scene node inside the parent (which owns
    // what is made); nullptr when nothing was built.
    TQZGUIWindow* Build(std::string_view text, TQZGUIWindow* parent);
    // A scene without a parent: its root window comes to the caller.
    std::unique_ptr<TQZGUIWindow> BuildRoot(std::string_view text);
    TQZGUIWindow* BuildNode(const TQZKeyValue& node, TQZGUIWindow* parent, std::unique_ptr<TQZGUIWindow>* root);

    bool raiseOnUnknown = true;
    TQZGUICreateCallback onCreate;
    TQZGUIWindow* LastBuilt() const { return lastBuilt_; }

private:
    std::vector<TQZGUIClassEntry> registry_;
    TQZGUIWindow* lastBuilt_ = nullptr;
};

// The factory, made on first use; nullptr while the framework is stopped.
TQZGUIFactory* GetGUIFactory();

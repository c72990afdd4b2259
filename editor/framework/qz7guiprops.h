// Published properties of the scene toolkit's widgets: each class lists the
// settings a scene may give it by name, with their kind, declared default
// and accessors, so that a window can be set from text and written back.
#pragma once

#include "qz7core.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class TQZGUIWindow;

enum class TQZPropKind { Integer, Cardinal, Enumeration, Float, Set, String, Boolean, Method, Char };

struct TQZGUIProperty {
    std::string name;
    TQZPropKind kind = TQZPropKind::Integer;
    // Integers, cardinals and Booleans equal to a declared default are not
    // written out.
    bool hasDefault = false;
    int64_t defaultValue = 0;
    // Value names of an enumeration, element names of a set (bit i = name i).
    const std::vector<std::string>* names = nullptr;

    // Integers, cardinals, enumerations, sets (as bit masks) and Booleans.
    std::function<int64_t(const TQZGUIWindow&)> getOrdinal;
    std::function<void(TQZGUIWindow&, int64_t)> setOrdinal;
    std::function<float(const TQZGUIWindow&)> getFloat;
    std::function<void(TQZGUIWindow&, float)> setFloat;
    std::function<std::string(const TQZGUIWindow&)> getString;
    std::function<void(TQZGUIWindow&, const std::string&)> setString;

    bool Readable() const;
    bool Writable() const;
};

using TQZGUIPropertyList = std::vector<TQZGUIProperty>;

// The property of that name (any case); nullptr when none.
const TQZGUIProperty* FindProperty(const TQZGUIPropertyList& list, const std::string& name);
// Sets the property from its text form; false (nothing changed) when the
// text does not fit the kind or the property cannot be set by name.
[[nodiscard]] bool SetPropertyText(TQZGUIWindow& window, const TQZGUIProperty& property, const std::string& value);
// The property's text form; "?" for kinds that have none.
std::string GetPropertyText(const TQZGUIWindow& window, const TQZGUIProperty& property);
bool PropertyAtDefault(const TQZGUIWindow& window, const TQZGUIProperty& property);

// Text forms of enumerations and sets; -1 / false for unknown names.
int32_t EnumValueOf(const std::vector<std::string>& names, const std::string& text);
[[nodiscard]] bool SetValueOf(const std::vector<std::string>& names, const std::string& text, int64_t& bits);
std::string SetToText(const std::vector<std::string>& names, int64_t bits);

// Builders used by the widget classes' property lists. W is the class that
// declares the property; the window handed to an accessor is always one.
namespace qz7props {

inline TQZGUIProperty Make(std::string name, TQZPropKind kind, bool hasDefault = false, int64_t def = 0)
{
    TQZGUIProperty p;
    p.name = std::move(name);
    p.kind = kind;
    p.hasDefault = hasDefault;
    p.defaultValue = def;
    return p;
}

template <class W> TQZGUIProperty Boolean(std::string name, bool (W::*get)() const, void (W::*set)(bool), bool def)
{
    TQZGUIProperty p = Make(std::move(name), TQZPropKind::Boolean, true, def ? 1 : 0);
    p.getOrdinal = [get](const TQZGUIWindow& w) { return int64_t((static_cast<const W&>(w).*get)() ? 1 : 0); };
    if (set) p.setOrdinal = [set](TQZGUIWindow& w, int64_t v) { (static_cast<W&>(w).*set)(v != 0); };
    return p;
}

// Signed 32-bit; without a declared default the value is always written.
template <class W>
TQZGUIProperty Integer(std::string name, int32_t (W::*get)() const, void (W::*set)(int32_t), bool hasDefault,
                       int32_t def = 0)
{
    TQZGUIProperty p = Make(std::move(name), TQZPropKind::Integer, hasDefault, def);
    p.getOrdinal = [get](const TQZGUIWindow& w) { return int64_t((static_cast<const W&>(w).*get)()); };
    if (set) p.setOrdinal = [set](TQZGUIWindow& w, int64_t v) { (static_cast<W&>(w).*set)(int32_t(v)); };
    return p;
}

template <class W>
TQZGUIProperty Cardinal(std::string name, uint32_t (W::*get)() const, void (W::*set)(uint32_t), bool hasDefault,
                        uint32_t def = 0)
{
    TQZGUIProperty p = Make(std::move(name), TQZPropKind::Cardinal, hasDefault, int64_t(def));
    p.getOrdinal = [get](const TQZGUIWindow& w) { return int64_t((static_cast<const W&>(w).*get)()); };
    if (set) p.setOrdinal = [set](TQZGUIWindow& w, int64_t v) { (static_cast<W&>(w).*set)(uint32_t(v)); };
    return p;
}

template <class W>
TQZGUIProperty Float(std::string name, float (W::*get)() const, void (W::*set)(float))
{
    TQZGUIProperty p = Make(std::move(name), TQZPropKind::Float);
    p.getFloat = [get](const TQZGUIWindow& w) { return (static_cast<const W&>(w).*get)(); };
    if (set) p.setFloat = [set](TQZGUIWindow& w, float v) { (static_cast<W&>(w).*set)(v); };
    return p;
}

template <class W>
TQZGUIProperty String(std::string name, std::string (W::*get)() const, void (W::*set)(const std::string&))
{
    TQZGUIProperty p = Make(std::move(name), TQZPropKind::String);
    p.getString = [get](const TQZGUIWindow& w) { return (static_cast<const W&>(w).*get)(); };
    if (set) p.setString = [set](TQZGUIWindow& w, const std::string& v) { (static_cast<W&>(w).*set)(v); };
    return p;
}

// An enumeration of value names; E converts to and from int32_t.
template <class W, class E>
TQZGUIProperty Enumeration(std::string name, const std::vector<std::string>& names, E (W::*get)() const,
                           void (W::*set)(E))
{
    TQZGUIProperty p = Make(std::move(name), TQZPropKind::Enumeration);
    p.names = &names;
    p.getOrdinal = [get](const TQZGUIWindow& w) { return int64_t((static_cast<const W&>(w).*get)()); };
    if (set) p.setOrdinal = [set](TQZGUIWindow& w, int64_t v) { (static_cast<W&>(w).*set)(E(v)); };
    return p;
}

template <class W>
TQZGUIProperty Set(std::string name, const std::vector<std::string>& names, uint32_t (W::*get)() const,
                   void (W::*set)(uint32_t))
{
    TQZGUIProperty p = Make(std::move(name), TQZPropKind::Set);
    p.names = &names;
    p.getOrdinal = [get](const TQZGUIWindow& w) { return int64_t((static_cast<const W&>(w).*get)()); };
    if (set) p.setOrdinal = [set](TQZGUIWindow& w, int64_t v) { (static_cast<W&>(w).*set)(uint32_t(v)); };
    return p;
}

// Kinds that cannot be set by name (methods, characters): listed so that
// they are looked at, and skipped, like any other.
inline TQZGUIProperty Unsettable(std::string name, TQZPropKind kind)
{
    TQZGUIProperty p = Make(std::move(name), kind);
    return p;
}

// The parent's list followed by the class's own.
TQZGUIPropertyList Extend(const TQZGUIPropertyList& parent, TQZGUIPropertyList own);

}  // namespace qz7props

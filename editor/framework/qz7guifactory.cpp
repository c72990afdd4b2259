#include "qz7guifactory.h"

#include "qz7guibusy.h"
#include "qz7guibutton.h"
#include "qz7guibuttonfancy.h"
#include "qz7guicontainer.h"
#include "qz7guidialog.h"
#include "qz7guiedit.h"
#include "qz7guihost.h"
#include "qz7guiimage.h"
#include "qz7guipanel.h"
#include "qz7guipanelset.h"
#include "qz7guiprogress.h"
#include "qz7guiscrollbar.h"
#include "qz7text.h"
#include "qzgui7dropdown.h"
#include "qzgui7flow.h"
#include "qzgui7listview.h"
#include "qzgui7table.h"
#include "qzgui7treeview.h"

TQZGUIFactory* GetGUIFactory()
{
    return GetInstance<TQZGUIFactory>(QZSLOT_GUIFACTORY);
}

TQZGUIFactory::TQZGUIFactory()
{
    RegisterClass<TQZGUIWindow>("window", 0);
    RegisterClass<TQZGUIBusySymbol>("busysymbol", 0);
    RegisterClass<TQZGUIButton>("button", 0);
    RegisterClass<TQZGUIButtonFancy>("buttonfancy", 0);
    RegisterClass<TQZGUICheckbox>("checkbox", 0);
    RegisterClass<TQZGUIContainer>("container", 0);
    RegisterClass<TQZGUIDialog>("dialog", 0);
    RegisterClass<TQZGUIDropdown>("dropdown", 0);
    RegisterClass<TQZGUIEdit>("edit", 0);
    RegisterClass<TQZGUIHost>("host", 0);
    RegisterClass<TQZGUIFlow>("flow", 0);
    RegisterClass<TQZGUIImage>("image", 0);
    RegisterClass<TQZGUIWindow>("label", 0);
    RegisterClass<TQZGUIListView>("listview", 0);
    RegisterClass<TQZGUIPanel>("panel", 0);
    RegisterClass<TQZGUIPanelSet>("panelset", 0);
    RegisterClass<TQZGUIProgressMeter>("progressmeter", 0);
    RegisterClass<TQZGUIScrollBar>("scrollbar", 0);
    RegisterClass<TQZGUITreeView>("treeview", 0);
    RegisterClass<TQZGUITable>("table", 0);
}

TQZGUIFactory::~TQZGUIFactory()
{
    while (!registry_.empty()) registry_.pop_back();
}

void TQZGUIFactory::RegisterClass(const std::string& name, TQZGUIClassEntry entry, int32_t priority)
{
    const std::string key = LowerText(name).substr(0, TYPE_NAME_LENGTH);
    entry.typeName = key;
    entry.priority = priority;
    for (TQZGUIClassEntry& e : registry_) {
        if (e.typeName == key) {
            if (priority > e.priority) e = std::move(entry);
            return;
        }
    }
    registry_.push_back(std::move(entry));
}

TQZGUIClassEntry TQZGUIFactory::FindClass(const std::string& name) const
{
    // Names are looked up as stored: cut to the type name's length.
    const std::string key = LowerText(name);
    const std::string cut = key.substr(0, TYPE_NAME_LENGTH);
    for (const TQZGUIClassEntry& e : registry_) {
        if (e.typeName == cut || LowerText(e.className) == key) return e;
    }
    // Classes without a type name of their own, reachable by class name.
    static const TQZGUIClassEntry unnamed[] = {GUIClassOf<TQZGUIPanelScroll>(), GUIClassOf<TQZGUICustomList>()};
    for (const TQZGUIClassEntry& e : unnamed) {
        if (LowerText(e.className) == key) return e;
    }
    return {};
}

TQZGUIWindow* TQZGUIFactory::Build(std::string_view text, TQZGUIWindow* parent)
{
    if (text.empty()) return nullptr;
    std::unique_ptr<TQZKeyValue> node = TQZKeyValue::CreateFromText(text);
    if (!node) return nullptr;
    std::unique_ptr<TQZGUIWindow> root;
    TQZGUIWindow* w = BuildNode(*node, parent, parent ? nullptr : &root);
    // Without a parent and without a holder nothing may be left unowned.
    return parent ? w : nullptr;
}

std::unique_ptr<TQZGUIWindow> TQZGUIFactory::BuildRoot(std::string_view text)
{
    if (text.empty()) return nullptr;
    std::unique_ptr<TQZKeyValue> node = TQZKeyValue::CreateFromText(text);
    if (!node) return nullptr;
    std::unique_ptr<TQZGUIWindow> root;
    BuildNode(*node, nullptr, &root);
    return root;
}

TQZGUIWindow* TQZGUIFactory::BuildNode(const TQZKeyValue& node, TQZGUIWindow* parent,
                                       std::unique_ptr<TQZGUIWindow>* root)
{
    if (!node.HasPath("Class")) return nullptr;
    const std::string className = LowerText(node.GetValue("Class"));
    const TQZGUIClassEntry entry = FindClass(className);
    if (!entry.make) {
        if (onCreate) {
            std::unique_ptr<TQZGUIWindow> made = onCreate(node.ToText(true), parent);
            TQZGUIWindow* w = made.get();
            if (parent) {
                parent->AddChild(std::move(made));
            } else if (root) {
                *root = std::move(made);
            }
            return w;
        }
        if (raiseOnUnknown) throw EQZGUIFactoryError("Unrecognised class template \"" + className + "\"");
        return nullptr;
    }
    TQZGUIWindow* target = nullptr;
    const std::string title = node.GetValue("Title");
    if (parent && !title.empty()) {
        target = SameText(title, parent->Title()) ? parent : parent->FindChildByTitle(title);
    }
    if (target) {
        target->ApplyKeyValues(node);
    } else {
        std::unique_ptr<TQZGUIWindow> made = entry.make();
        target = TQZGUIWindow::CreateFromKeyValue(made, node, parent);
        if (!parent && root) *root = std::move(made);
    }
    lastBuilt_ = target;
    if (const TQZKeyValue* children = node.FindNode("Children")) {
        for (const TQZKeyValue* child : children->Children()) BuildNode(*child, target, nullptr);
    }
    return target;
}

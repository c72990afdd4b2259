// The scene factory: building, updating by title, the registry, and scenes
// that come back the same after SaveToKeyValue.
#include "guitestutil.h"

#include "qz7guibutton.h"
#include "qz7guidialog.h"
#include "qz7guiedit.h"
#include "qz7guifactory.h"
#include "qz7guipanel.h"
#include "qz7text.h"
#include "qzgui7table.h"

namespace {

class FactoryTest : public guitest::GuiFixture {
protected:
    TQZGUIFactory* factory = nullptr;
    void SetUp() override
    {
        GuiFixture::SetUp();
        factory = GetGUIFactory();
        ASSERT_NE(nullptr, factory);
    }
};

// One line per window, depth-first: class, title, position, layout, then
// every published property's text.
void Dump(TQZGUIWindow* w, int depth, std::string& out)
{
    out += std::string(size_t(depth) * 2, ' ') + w->ClassName() + " '" + w->Title() + "' " +
           RectToText(w->GetPosition());
    TQZGUILayout l;
    if (w->GetLayout(l)) {
        out += " layout" + std::to_string(int(l.mode)) + RectToText(l.position) + PointToText(l.minimumSize) +
               PointToText(l.maximumSize);
        for (const TQZGUIAnchor& a : l.anchors)
            out += "|" + std::to_string(a.siblingID) + "," + std::to_string(a.margin) + "," + std::to_string(a.style);
    }
    for (const TQZGUIProperty& p : w->Properties()) {
        if (p.Writable()) out += " " + p.name + "=" + GetPropertyText(*w, p);
    }
    out += "\n";
    for (int32_t i = 0; i < w->ChildCount(); ++i) Dump(w->GetChild(i), depth + 1, out);
}

std::string Dump(TQZGUIWindow* w)
{
    std::string out;
    Dump(w, 0, out);
    return out;
}

std::string Saved(TQZGUIWindow* w)
{
    TQZKeyValue node;
    EXPECT_TRUE(w->SaveToKeyValue(&node));
    return node.ToText(false);
}

// A small scene with most widget kinds, every layout mode and settings of
// every property type.
const char* const kScene = R"({
  "Class": "Host", "Title": "Root", "Position": "[0,0]-[640,480]", "Theme": "$FF204065",
  "Children": [
    { "Class": "Label", "Title": "Caption", "Text": "Cardset, \"quoted\"", "ID": 5,
      "Layout": { "Layoutmode": "LayoutPixel", "Position": "[10,10]-[200,30]", "MinimumSize": "[120,24]" },
      "TextDraw": "[QZFD_ALIGN_LEFT,QZFD_ALIGN_MIDDLE]", "Color": "$FFFFFFFF", "CanMouseOver": false },
    { "Class": "button", "Title": "Ok", "Text": "OK", "ID": 65534, "Script": "save now",
      "Layout": { "Layoutmode": "LayoutAnchor", "Position": "[0,0]-[80,24]",
                  "Anchorleft": { "Anchorstyle": "anchorMin", "SiblingID": 5, "Margin": 4 },
                  "Anchortop": { "Anchorstyle": "anchorMax", "SiblingID": 5, "Margin": 6 } } },
    { "Class": "checkbox", "Title": "Music", "Text": "Music", "Value": true, "Position": "[10,80]-[200,104]" },
    { "Class": "container", "Title": "Area", "ShowSliders": false, "BGColor": "$FF808080",
      "Layout": { "Layoutmode": "LayoutRelative", "Position": "[0,25]-[50,100]" },
      "Children": [
        { "Class": "edit", "Title": "Name", "Text": "Basic", "MaxLength": 40, "MessageOnChange": 7,
          "Position": "[5,5]-[150,29]" },
        { "Class": "scrollbar", "Title": "Zoom", "Min": 1, "Max": 8, "PageSize": 1, "Value": 4,
          "Style": "scrHorizontal", "Position": "[5,40]-[150,56]" },
        { "Class": "image", "Title": "Preview", "DisplayMode": "IMAGE_ASPECT", "DisplayScale": 1.5,
          "Border": true, "Position": "[5,60]-[100,160]" }
      ] },
    { "Class": "table", "Title": "Grid", "ColWidths": "80,120,60", "RowHeights": "1,1", "Padding": 2,
      "Border": true, "Position": "[330,120]-[630,320]",
      "Children": [ { "Class": "progressmeter", "Title": "Bar", "Maximum": 10, "Value": 2.5, "TextLabel": true,
                      "Layout": { "Layoutmode": "LayoutParentManaged", "Position": "[2,1]-[2,2]" } } ] },
    { "Class": "flow", "Title": "Stack", "FlowStyle": "flowHorizontal", "Padding": 3,
      "Position": "[330,330]-[630,400]",
      "Children": [ { "Class": "busysymbol", "Title": "Busy", "Anim": "Dots", "Visible": false,
                      "Layout": "ParentManaged" },
                    { "Class": "dropdown", "Title": "Deck", "Header": "Name|Cards",
                      "Layout": "ParentManaged", "Text": "x" } ] },
    { "Class": "dialog", "Title": "Confirm", "Text": "Resize", "DlgButtons": "dlgOKCancel", "CancelID": 9,
      "Visible": false, "Position": "[100,100]-[400,300]" },
    { "Class": "panelset", "Title": "Tabs", "Position": "[0,400]-[320,480]" },
    { "Class": "treeview", "Title": "Tree", "Position": "[400,0]-[600,100]" },
    { "Class": "buttonfancy", "Title": "Fancy", "Text": "Go", "Enabled": false, "Position": "[200,0]-[300,40]" },
    { "Class": "panel", "Title": "Form", "Position": "[200,40]-[320,160]" }
  ]
})";

TEST_F(FactoryTest, AScenePassedThroughSaveToKeyValueBuildsTheSameTree)
{
    std::unique_ptr<TQZGUIWindow> first = factory->BuildRoot(kScene);
    ASSERT_NE(nullptr, first);
    ASSERT_EQ(11, first->ChildCount());
    const std::string savedOnce = Saved(first.get());
    std::unique_ptr<TQZGUIWindow> second = factory->BuildRoot(savedOnce);
    ASSERT_NE(nullptr, second);
    EXPECT_EQ(Dump(first.get()), Dump(second.get()));
    EXPECT_EQ(savedOnce, Saved(second.get()));
}

TEST_F(FactoryTest, TheSceneTakesEverySettingItGives)
{
    std::unique_ptr<TQZGUIWindow> root = factory->BuildRoot(kScene);
    ASSERT_NE(nullptr, root);
    EXPECT_STREQ("TQZGUIHost", root->ClassName());
    TQZGUIWindow* caption = root->FindChildByTitle("caption");
    EXPECT_STREQ("TQZGUIWindow", caption->ClassName());
    EXPECT_EQ("Cardset, \"quoted\"", caption->Text());
    EXPECT_EQ((TQZRect{10, 10, 200, 34}), caption->GetPosition());  // minimum height 24
    EXPECT_FALSE(caption->CanMouseOver());
    auto* ok = dynamic_cast<TQZGUIButton*>(root->FindChildByTitle("Ok"));
    ASSERT_NE(nullptr, ok);
    EXPECT_EQ("save now", ok->Script());
    EXPECT_EQ((TQZRect{14, 40, 80, 24}), ok->GetPosition());  // anchored to the caption
    TQZGUIWindow* area = root->FindChildByTitle("Area");
    EXPECT_EQ((TQZRect{0, 120, 320, 480}), area->GetPosition());
    EXPECT_EQ(3, area->ChildCount() - 3);  // three built-in parts besides
    auto* grid = dynamic_cast<TQZGUITable*>(root->FindChildByTitle("Grid"));
    ASSERT_NE(nullptr, grid);
    EXPECT_EQ("80,120,60", grid->ColWidths());
    // Column 2 of three weighted 80:120:60 in 300 pixels, both rows, less the padding.
    EXPECT_EQ((TQZRect{94, 2, 228, 198}), grid->FindChildByTitle("Bar")->GetPosition());
    auto* dialog = dynamic_cast<TQZGUIDialog*>(root->FindChildByTitle("Confirm"));
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(dlgOKCancel, dialog->DlgButtons());
    EXPECT_TRUE(dialog->CancelButton()->Visible());
}

TEST_F(FactoryTest, SavedScenesLeaveOutDefaultsBuiltInPartsAndKeepTheLayout)
{
    TQZGUIWindow* w = Make({1, 2, 3, 4});
    TQZKeyValue node;
    ASSERT_TRUE(w->SaveToKeyValue(&node));
    EXPECT_EQ("TQZGUIWindow", node.GetValue("Class"));
    EXPECT_EQ("[1,2]-[3,4]", node.GetValue("Position"));
    EXPECT_FALSE(node.HasPath("CanMouseOver"));
    EXPECT_FALSE(node.HasPath("Layout"));
    EXPECT_TRUE(node.HasPath("Text"));  // strings are always written
    w->SetOption(QZGUI_SAVEALL, true);
    TQZKeyValue all;
    (void)w->SaveToKeyValue(&all);
    EXPECT_EQ("true", all.GetValue("CanMouseOver"));
    EXPECT_FALSE(w->SaveToKeyValue(nullptr));

    auto* dialog = Make<TQZGUIDialog>({0, 0, 300, 200});
    TQZKeyValue d;
    (void)dialog->SaveToKeyValue(&d);
    ASSERT_TRUE(d.HasPath("Children"));  // an empty list: only its own OK and Cancel
    EXPECT_EQ(0, d.FindNode("Children")->ChildCount());
    TQZGUIWindow* inner = Make({}, dialog);
    inner->SetTitle("Content");
    dialog->SetOption(QZGUI_NOSAVECHILDREN, true);
    TQZKeyValue none;
    (void)dialog->SaveToKeyValue(&none);
    EXPECT_FALSE(none.HasPath("Children"));
}

TEST_F(FactoryTest, AStringThatIsAQuestionMarkIsKept)
{
    TQZGUIWindow* w = Make({}, nullptr, 0, "?");
    TQZKeyValue node;
    (void)w->SaveToKeyValue(&node);
    EXPECT_EQ("?", node.GetValue("Text"));
}

TEST_F(FactoryTest, LabelsArePlainWindows)
{
    TQZGUIWindow* w = factory->Build(R"({"Class":"Label","Text":"Hello"})", root.get());
    ASSERT_NE(nullptr, w);
    EXPECT_STREQ("TQZGUIWindow", w->ClassName());
    EXPECT_EQ("Hello", w->Text());
    EXPECT_EQ(root.get(), w->Parent());
    EXPECT_EQ(w, factory->LastBuilt());
}

TEST_F(FactoryTest, ClassNamesWithoutATypeNameStillBuild)
{
    TQZGUIWindow* w = factory->Build(R"({"Class":"TQZGUIPanelScroll"})", root.get());
    ASSERT_NE(nullptr, w);
    EXPECT_NE(nullptr, dynamic_cast<TQZGUIPanelScroll*>(w));
    EXPECT_NE(nullptr, dynamic_cast<TQZGUIButton*>(factory->Build(R"({"Class":"tqzguibutton"})", root.get())));
}

TEST_F(FactoryTest, ANodeTitledLikeItsParentUpdatesTheParent)
{
    root->SetTitle("root");
    TQZGUIWindow* w =
        factory->Build(R"({"Class":"window","Title":"Root","BGColor":"$FF010203",
                           "Children":[{"Class":"button","Title":"A"}]})",
                       root.get());
    EXPECT_EQ(root.get(), w);
    EXPECT_EQ(0xFF010203u, root->BGColor());
    ASSERT_EQ(1, root->ChildCount());
    EXPECT_EQ("A", root->GetChild(0)->Title());
    // Built again, the child is found by its title and updated, not added.
    factory->Build(R"({"Class":"window","Title":"root","Children":[{"Class":"button","Title":"a","Text":"x"}]})",
                   root.get());
    ASSERT_EQ(1, root->ChildCount());
    EXPECT_EQ("x", root->GetChild(0)->Text());
    // A title that names nobody makes a new window.
    factory->Build(R"({"Class":"button","Title":"B"})", root.get());
    EXPECT_EQ(2, root->ChildCount());
}

TEST_F(FactoryTest, NodesWithoutAClassBuildNothingBelowThem)
{
    EXPECT_EQ(nullptr, factory->Build(R"({"Title":"X","Children":[{"Class":"button"}]})", root.get()));
    EXPECT_EQ(nullptr, factory->Build("", root.get()));
    EXPECT_EQ(0, root->ChildCount());
}

TEST_F(FactoryTest, RegisteringAgainNeedsAGreaterPriority)
{
    const int32_t count = factory->EntryCount();
    factory->RegisterClass<TQZGUIDialog>("button", 0);
    EXPECT_EQ("TQZGUIButton", factory->FindClass("Button").className);
    factory->RegisterClass<TQZGUIDialog>("BUTTON", 1);
    EXPECT_EQ("TQZGUIDialog", factory->FindClass("button").className);
    EXPECT_EQ(count, factory->EntryCount());
}

TEST_F(FactoryTest, LongTypeNamesAreKeptToNineteenCharacters)
{
    factory->RegisterClass<TQZGUIEdit>("abcdefghijklmnopqrstuvwxy", 0);
    EXPECT_EQ("abcdefghijklmnopqrs", factory->FindClass("abcdefghijklmnopqrs").typeName);
    EXPECT_EQ("TQZGUIEdit", factory->FindClass("ABCDEFGHIJKLMNOPQRS").className);
    EXPECT_FALSE(factory->FindClass("abcdefghijklmnopqr").make);
}

TEST_F(FactoryTest, UnknownClassesRaiseKeepWhatWasBuiltOrGoToTheCallback)
{
    const char* scene = R"({"Class":"window","Title":"W","Children":[{"Class":"button"},{"Class":"NoSuch"}]})";
    try {
        factory->Build(scene, root.get());
        FAIL() << "no error";
    } catch (const EQZGUIFactoryError& e) {
        EXPECT_STREQ("Unrecognised class template \"nosuch\"", e.what());
    }
    ASSERT_EQ(1, root->ChildCount());
    EXPECT_EQ(1, root->GetChild(0)->ChildCount());  // the button before it stays

    factory->raiseOnUnknown = false;
    EXPECT_EQ(nullptr, factory->Build(R"({"Class":"nosuch"})", root.get()));

    std::string seen;
    factory->onCreate = [&](const std::string& text, TQZGUIWindow* parent) {
        seen = text;
        EXPECT_EQ(root.get(), parent);
        return TQZGUIWindow::CreateRoot<TQZGUIButton>({}, "made");
    };
    TQZGUIWindow* made = factory->Build(R"({"Class":"nosuch","Text":"t"})", root.get());
    ASSERT_NE(nullptr, made);
    EXPECT_EQ("made", made->Text());
    EXPECT_EQ(root.get(), made->Parent());
    EXPECT_NE(std::string::npos, seen.find("nosuch"));
}

}  // namespace

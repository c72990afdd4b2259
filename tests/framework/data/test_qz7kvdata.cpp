// Sections, in order: keys and paths; values and changes (typed access,
// bytes, finding children); ownership; path="value" lines and files; the
// JSON-like text (layout, round trips, malformed and nested input, files).
#include "qz7kvdata.h"

#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct ChangeLog {
    std::vector<std::string> seen;
    void Changed(TQZKeyValue* node) { seen.push_back(node->GetPath() + "=" + node->Value()); }
};

// ---------------------------------------------------------------- keys and paths
TEST(KeyValueKeys, NormaliseKey)
{
    const std::pair<const char*, const char*> cases[] = {
        {"checkUpdateURL", "Checkupdateurl"},
        {"video.effects.TRUMPPLAY", "Video.Effects.Trumpplay"},
        {"[3]", "[3]"},
        {"a..b", "A..B"},
        {"", ""},
    };
    for (const auto& [in, out] : cases) EXPECT_EQ(NormaliseKey(in), out) << in;
}

TEST(KeyValueKeys, SplitPath)
{
    struct Case {
        const char *path, *first, *rest;
    };
    const Case cases[] = {
        {"", "", ""},
        {"list[0].name", "List", "[0].name"},
        {"[0].name", "[0]", "name"},
        {"[0][1]", "[0]", "[1]"},
        {"[oPen", "[oPen", ""},  // no close: taken whole, as written
        {"audio.volume", "Audio", "volume"},
        {"volume", "Volume", ""},
        {".x", "", "x"},
    };
    for (const auto& c : cases) {
        std::string first;
        std::string_view rest;
        SplitPath(c.path, first, rest);
        EXPECT_EQ(first, c.first) << c.path;
        EXPECT_EQ(rest, c.rest) << c.path;
    }
}

TEST(KeyValueTree, PathsIgnoreCaseAndCreateNodes)
{
    TQZKeyValue root;
    TQZKeyValue* volume = root.SetPath("audio.VOLUME", "80");
    EXPECT_EQ(volume->Name(), "Volume");
    EXPECT_EQ(volume->GetPath(), "Audio.Volume");
    EXPECT_EQ(root.GetValue("Audio.Volume"), "80");
    EXPECT_EQ(root.FindNode("AUDIO.volume", false), volume);
    EXPECT_EQ(volume->Depth(), 2);
    EXPECT_TRUE(root.HasPath("audio"));
    EXPECT_TRUE(root.HasPath(""));
    EXPECT_FALSE(root.HasPath("Audio.Pan"));
    EXPECT_EQ(root.FindNode("Audio.Pan", false), nullptr);
    TQZKeyValue* pan = root.GetNode("Audio.Pan");
    ASSERT_NE(pan, nullptr);
    EXPECT_EQ(pan->Value(), "");
    EXPECT_EQ(root.FindChild("audio")->ChildCount(), 2);

    // A named root carries its name at the front of paths.
    TQZKeyValue named("scene");
    EXPECT_EQ(named.SetPath("a.b", "1")->GetPath(), "Scene.A.B");
}

TEST(KeyValueTree, ArraysByPut)
{
    TQZKeyValue root;
    TQZKeyValue* first = root.Put("Players[..]", "North");
    TQZKeyValue* second = root.Put("Players[..]", "South");
    TQZKeyValue* players = root.FindChild("players");
    ASSERT_NE(players, nullptr);
    EXPECT_TRUE(players->IsArray());
    EXPECT_EQ(players->ChildCount(), 2);
    EXPECT_TRUE(second->IsArrayElement());
    EXPECT_EQ(first->Name(), "[..]");
    EXPECT_EQ(first->GetKey(), "[0]");
    EXPECT_EQ(second->GetPath(), "Players[1]");
    EXPECT_EQ(root.GetValue("Players[1]"), "South");
    EXPECT_EQ(root.FindNode("players[01]"), nullptr);  // not how an index is written
    EXPECT_EQ(root.FindNode("players[2]"), nullptr);

    root.SetPath("Players[0].Seat", "1");
    EXPECT_EQ(root.GetValue("players[0].seat"), "1");
    EXPECT_EQ(root.FindNode("players[0].seat")->GetPath(), "Players[0].Seat");
}

TEST(KeyValueTree, ManyChildrenKeepFirstMatchAndFollowRemovals)
{
    TQZKeyValue root;
    for (int i = 0; i < 40; ++i) root.SetPath("Key" + std::to_string(i), std::to_string(i));
    // A second node of an existing name: lookups still find the first.
    TQZKeyValue* twin = TQZKeyValue::Create("key7", "twin", &root);
    EXPECT_EQ(root.GetValue("KEY7"), "7");
    EXPECT_EQ(root.GetValue("key39"), "39");
    ASSERT_TRUE(root.DeletePath("key7"));
    EXPECT_EQ(root.FindChild("key7"), twin);
    EXPECT_EQ(root.ChildCount(), 40);
    EXPECT_EQ(root.GetChild(7)->Name(), "Key8");
    EXPECT_EQ(root.GetChild(40), nullptr);
    EXPECT_EQ(root.GetChild(-1), nullptr);
}

// ---------------------------------------------------------------- values and changes
TEST(KeyValueTree, SetValueMarksAncestorsAndCallsNearestHandler)
{
    TQZKeyValue root;
    TQZKeyValue* video = root.GetNode("Video");
    TQZKeyValue* mode = root.SetPath("Video.Mode", "1");
    mode->SetModified(false);
    EXPECT_FALSE(video->modified);
    ChangeLog rootLog, videoLog;
    root.onChange = MakeMethod<&ChangeLog::Changed>(&rootLog);
    video->onChange = MakeMethod<&ChangeLog::Changed>(&videoLog);

    mode->SetValue("2");
    EXPECT_TRUE(mode->modified);
    EXPECT_TRUE(video->modified);
    EXPECT_TRUE(root.modified);
    EXPECT_EQ(videoLog.seen, std::vector<std::string>{"Video.Mode=2"});
    EXPECT_TRUE(rootLog.seen.empty());

    root.SetPath("Audio.Volume", "5");
    EXPECT_EQ(rootLog.seen, std::vector<std::string>{"Audio.Volume=5"});

    // The same text again is no change at all.
    root.SetModified(false);
    mode->SetValue("2");
    EXPECT_FALSE(root.modified);
    EXPECT_EQ(videoLog.seen.size(), 1u);
}

TEST(KeyValueTree, OverwriteFalseFillsOnlyEmptyValues)
{
    TQZKeyValue root;
    root.SetPath("A", "user");
    root.SetPath("B", "");
    root.SetOverwrite(false);
    EXPECT_FALSE(root.FindChild("a")->overwrite);
    root.SetPath("A", "default");
    root.SetPath("B", "default");
    root.SetPath("C", "default");  // a new node takes its parent's flag
    EXPECT_EQ(root.GetValue("A"), "user");
    EXPECT_EQ(root.GetValue("B"), "default");
    EXPECT_EQ(root.GetValue("C"), "default");
    EXPECT_FALSE(root.FindChild("C")->overwrite);
}

TEST(KeyValueTree, TypedAccessors)
{
    TQZKeyValue root;
    struct IntCase {
        const char* text;
        int32_t value;
    };
    for (const IntCase& c : {IntCase{"12", 12}, IntCase{"-7", -7}, IntCase{"12a", 0}, IntCase{"", 0}}) {
        root.SetPath("N", c.text);
        EXPECT_EQ(root.GetInt("N"), c.value) << c.text;
    }
    EXPECT_EQ(root.GetInt("Missing"), 0);

    struct BoolCase {
        const char* text;
        bool def, value;
    };
    for (const BoolCase& c : {BoolCase{"true", false, true}, BoolCase{"False", true, false},
                              BoolCase{"t", false, true}, BoolCase{"Yes", true, true}, BoolCase{"Yes", false, false}}) {
        root.SetPath("B", c.text);
        EXPECT_EQ(root.GetBool("B", c.def), c.value) << c.text;
    }
    EXPECT_TRUE(root.GetBool("Missing", true));

    root.SetBool("Flag", true);
    root.SetInt("Count", -42);
    root.SetPoint("Pos", {12, -3});
    EXPECT_EQ(root.GetValue("Flag"), "true");
    EXPECT_EQ(root.GetValue("Count"), "-42");
    EXPECT_EQ(root.GetValue("Pos"), "[12,-3]");
    EXPECT_EQ(root.GetPoint("Pos"), (TQZPoint{12, -3}));
    EXPECT_EQ(root.GetPoint("Missing"), (TQZPoint{0, 0}));

    // Getters never create what they do not find.
    EXPECT_FALSE(root.HasPath("Missing"));
    EXPECT_EQ(root.GetString("Missing.Deeper"), "");
    EXPECT_FALSE(root.HasPath("Missing"));
}

TEST(KeyValueTree, Bytes)
{
    TQZKeyValue root;
    TQZMemory memory(2);
    memory.SetByte(0, 0x0A);
    memory.SetByte(1, 0xFF);
    root.SetBytes("Blob", memory);
    EXPECT_EQ(root.GetValue("Blob"), "0x0AFF");
    auto back = root.GetBytes("Blob");
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->Size(), 2);
    EXPECT_EQ(back->GetByte(0), 0x0A);
    EXPECT_EQ(back->GetByte(1), 0xFF);

    struct Case {
        const char* text;
        std::vector<uint8_t> bytes;  // empty: no memory at all
    };
    const Case cases[] = {
        {"0x1", {}},          {"0X0A", {}},   {"", {}},   {"ab12", {}},
        {"0xzz01", {0, 1}},   {"0xff0", {0xFF}},  // a half byte at the end is dropped
    };
    for (const Case& c : cases) {
        root.SetPath("Blob", c.text);
        auto m = root.GetBytes("Blob");
        if (c.bytes.empty()) {
            EXPECT_EQ(m, nullptr) << c.text;
            continue;
        }
        ASSERT_NE(m, nullptr) << c.text;
        EXPECT_EQ(std::vector<uint8_t>(m->Data(), m->Data() + m->Size()), c.bytes) << c.text;
    }
    EXPECT_EQ(root.GetBytes("Missing"), nullptr);
}

TEST(KeyValueTree, FindChildWhere)
{
    auto pages = TQZKeyValue::CreateFromText(
        R"([ {"ID": "intro", "Page": 1}, {"ID": "Intro", "Page": 2}, {"ID": "intro", "Page": 2, "Title": "a, b"} ])");
    struct Case {
        const char* criteria;
        bool caseSensitive;
        int expected;  // index of the child, -1 none
    };
    const Case cases[] = {
        {R"(ID="intro",Page=2)", true, 2},
        {R"(ID="intro",Page=2)", false, 1},
        {"id=intro, page=1", true, 0},
        {R"(Title="a, b")", true, 2},
        {"ID=outro", false, -1},
        {"", true, 0},
    };
    for (const Case& c : cases) {
        TQZKeyValue* found = pages->FindChildWhere(c.criteria, c.caseSensitive);
        EXPECT_EQ(found, c.expected < 0 ? nullptr : pages->GetChild(c.expected)) << c.criteria;
    }
}

// ---------------------------------------------------------------- ownership
TEST(KeyValueTree, FreeingUnlinksAndClearFreesSubtree)
{
    TQZKeyValue root;
    root.SetPath("A.B.C", "1");
    root.SetPath("A.D", "2");
    TQZKeyValue* a = root.FindChild("A");

    std::unique_ptr<TQZKeyValue> b = a->RemoveChild(a->FindChild("B"));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(b->GetPath(), "B");
    EXPECT_EQ(a->ChildCount(), 1);
    EXPECT_EQ(a->RemoveChild(b.get()), nullptr);  // no longer a child

    // Back under another parent, then freed through its path.
    TQZKeyValue* moved = root.AddChild(std::move(b));
    EXPECT_EQ(moved->GetPath(), "B");
    EXPECT_EQ(root.GetValue("B.C"), "1");
    root.SetModified(false);
    EXPECT_TRUE(root.DeletePath("b"));
    EXPECT_TRUE(root.modified);
    EXPECT_FALSE(root.DeletePath("b"));
    EXPECT_FALSE(root.DeletePath(""));
    EXPECT_EQ(root.ChildCount(), 1);

    root.SetModified(true);
    a->Clear();
    EXPECT_EQ(a->ChildCount(), 0);
    EXPECT_TRUE(a->Children().empty());
    EXPECT_EQ(a->Children().capacity(), 0u);  // the list itself is given back
    EXPECT_FALSE(root.modified);
    EXPECT_FALSE(root.HasPath("A.D"));
    EXPECT_TRUE(root.HasPath("A"));
}

// Records its name as it is freed, and whether it still had a parent then.
class TTracedNode : public TQZKeyValue {
public:
    TTracedNode(std::string_view name, std::vector<std::string>& log) : TQZKeyValue(name), log_(log) {}
    ~TTracedNode() override { log_.push_back(Name() + (Parent() ? " linked" : "")); }

private:
    std::vector<std::string>& log_;
};

TEST(KeyValueTree, ChildrenAreFreedLastFirstAndAFreedChildLeavesItsParent)
{
    std::vector<std::string> log;
    TQZKeyValue root;
    TQZKeyValue* list = root.GetNode("List");
    for (const char* name : {"A", "B", "C", "D"}) list->AddChild(std::make_unique<TTracedNode>(name, log));

    // Freed while still a child: the parent's list closes over the gap.
    std::unique_ptr<TQZKeyValue>(list->FindChild("B")).reset();
    EXPECT_EQ(log, (std::vector<std::string>{"B linked"}));
    ASSERT_EQ(list->ChildCount(), 3);
    EXPECT_EQ(list->GetChild(1)->Name(), "C");
    EXPECT_EQ(list->GetChild(3), nullptr);

    // Freed with the parent: last first, each already unlinked.
    log.clear();
    root.Clear();
    EXPECT_EQ(log, (std::vector<std::string>{"D", "C", "A"}));
    EXPECT_EQ(root.ChildCount(), 0);
}

// ---------------------------------------------------------------- path="value" lines
TEST(KeyValueLines, ReadsOnlyWellFormedLines)
{
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("Default.cfg"),
                      "// comment=\"no\"\r\n"
                      "  audio.volume  =  \"80\"  \r\n"
                      "Video.Mode=\"2\"\n"
                      "NoQuotes=5\r"
                      "Three=\"a\"b\"\r\n"
                      "NoEquals \"x\"\r\n"
                      "=\"nokey\"\r\n"
                      "Name=\"with = and blanks \"\r\n"
                      "List[0].Name=\"first\"\r\n"
                      "x\r\n");
    TQZKeyValue root;
    ASSERT_TRUE(root.LoadFromFile(dir.File("Default.cfg"), KVFORM_LINES, true));
    EXPECT_EQ(root.GetValue("Audio.Volume"), "80");
    EXPECT_EQ(root.GetValue("Video.Mode"), "2");
    EXPECT_EQ(root.GetValue("Name"), "with = and blanks ");
    EXPECT_EQ(root.GetValue("List[0].Name"), "first");
    for (const char* absent : {"// comment", "Comment", "NoQuotes", "Three", "NoEquals"})
        EXPECT_FALSE(root.HasPath(absent)) << absent;
    EXPECT_EQ(root.GetValue(""), "");
    EXPECT_EQ(root.ChildCount(), 4);

    // A path deeper than any reader follows is skipped, not built.
    std::string deep;
    for (int i = 0; i <= TQZKeyValue::MAX_PARSE_DEPTH; ++i) deep += "k.";
    root.ReadLines(deep + "k=\"1\"\nShallow=\"2\"");
    EXPECT_FALSE(root.HasPath("K"));
    EXPECT_EQ(root.GetValue("Shallow"), "2");
}

TEST(KeyValueLines, DefaultsAfterUserValuesFillOnlyGaps)
{
    vqtest::TempDir dir;
    vqtest::WriteFile(dir.File("Settings.txt"), "Audio.Volume=\"30\"\r\nAudio.Muted=\"\"\r\n");
    vqtest::WriteFile(dir.File("Default.cfg"), "Audio.Volume=\"80\"\r\nAudio.Muted=\"false\"\r\nVideo.Mode=\"1\"\r\n");
    TQZKeyValue root;
    ASSERT_TRUE(root.LoadFromFile(dir.File("Settings.txt"), KVFORM_LINES, true));
    ASSERT_TRUE(root.LoadFromFile(dir.File("Default.cfg"), KVFORM_LINES, false));
    EXPECT_EQ(root.GetValue("Audio.Volume"), "30");
    EXPECT_EQ(root.GetValue("Audio.Muted"), "false");
    EXPECT_EQ(root.GetValue("Video.Mode"), "1");
    EXPECT_TRUE(root.overwrite);  // the tree's own flag comes back
    EXPECT_TRUE(root.FindChild("Audio")->overwrite);

    EXPECT_FALSE(root.LoadFromFile(dir.File("Missing.txt"), KVFORM_LINES, true));
    EXPECT_EQ(root.GetValue("Audio.Volume"), "30");
}

TEST(KeyValueLines, WritesPreOrderInNormalForm)
{
    TQZKeyValue root;
    root.SetPath("audio.VOLUME", "80");
    root.SetPath("Video.Effects.trumpPlay", "true");
    root.Put("List[..]", "a");
    root.Put("List[..]", "");
    root.SetPath("List[1].Name", "b");
    root.SetPath("Group", "kept");
    root.SetPath("Group.Child", "");
    root.SetPath("Odd", "say \"hi\"\r\nBad=\"1\"");  // cannot be said in a line as it is
    root.SetPath("Eq=ual", "x");                     // would read back as another key

    vqtest::TempDir dir;
    ASSERT_TRUE(root.SaveToFile(dir.File("Settings.txt"), KVFORM_LINES));
    EXPECT_EQ(vqtest::ReadFile(dir.File("Settings.txt")),
              "Audio.Volume=\"80\"\r\n"
              "Video.Effects.Trumpplay=\"true\"\r\n"
              "List=\"[..]\"\r\n"
              "List[0]=\"a\"\r\n"
              "List[1].Name=\"b\"\r\n"
              "Group=\"kept\"\r\n"
              "Group.Child=\"\"\r\n"
              "Odd=\"say 'hi'  Bad='1'\"\r\n");
    EXPECT_FALSE(root.modified);

    TQZKeyValue back;
    ASSERT_TRUE(back.LoadFromFile(dir.File("Settings.txt"), KVFORM_LINES, true));
    EXPECT_EQ(back.GetValue("List[1].Name"), "b");
    EXPECT_EQ(back.GetValue("List[0]"), "a");
    EXPECT_EQ(back.GetValue("Group"), "kept");
    EXPECT_FALSE(back.HasPath("Bad"));
}

TEST(KeyValueFiles, FailedSaveIsReportedAndKeepsOldFile)
{
    vqtest::TempDir dir;
    TQZKeyValue root;
    root.SetPath("A", "1");
    EXPECT_FALSE(root.SaveToFile(dir.File("no/such/folder/x.txt"), KVFORM_JSON));
    EXPECT_TRUE(root.modified);

    // A folder in the way: the rename fails and nothing is left behind.
    std::filesystem::create_directory(dir.File("Busy"));
    EXPECT_FALSE(root.SaveToFile(dir.File("Busy"), KVFORM_LINES));
    EXPECT_TRUE(std::filesystem::is_directory(dir.File("Busy")));

    vqtest::WriteFile(dir.File("Keep.txt"), "A=\"old\"\r\n");
    EXPECT_FALSE(root.SaveToFile(dir.File("Keep.txt"), 7));  // no such form
    EXPECT_EQ(vqtest::ReadFile(dir.File("Keep.txt")), "A=\"old\"\r\n");
    ASSERT_TRUE(root.SaveToFile(dir.File("Keep.txt"), KVFORM_LINES));
    EXPECT_EQ(vqtest::ReadFile(dir.File("Keep.txt")), "A=\"1\"\r\n");
    EXPECT_FALSE(root.modified);

    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

// ---------------------------------------------------------------- JSON-like text
TEST(KeyValueJson, WriterLayout)
{
    TQZKeyValue root("scene");
    root.SetPath("Title", "Hi \"there\"");
    root.SetPath("Count", "007");
    root.SetPath("Version", "1.2.3");
    root.SetPath("Ratio", "-0.5");
    root.SetPath("On", "TRUE");
    root.SetPath("Pad", " 5");
    root.SetPath("Empty", "");
    root.Put("List[..]", "1");
    root.AddArrayElement("List", "")->SetPath("Name", "x");
    root.SetPath("Group", "gv");
    root.SetPath("Group.A", "b");

    EXPECT_EQ(root.ToText(false),
              "{\r\n"
              "\"__ancestor\": \"Scene\",\r\n"
              "  \"Title\": \"Hi \\\"there\\\"\",\r\n"
              "  \"Count\": 007,\r\n"
              "  \"Version\": \"1.2.3\",\r\n"
              "  \"Ratio\": -0.5,\r\n"
              "  \"On\": TRUE,\r\n"
              "  \"Pad\": \" 5\",\r\n"
              "  \"Empty\": null,\r\n"
              "  \"List\": [ 1,{\r\n"
              "      \"Name\": \"x\"\r\n"
              "    } ],\r\n"
              "  \"Group\": {\r\n"
              "\"__value\": \"gv\",\r\n"
              "    \"A\": \"b\"\r\n"
              "  }\r\n"
              "}");
    // Compact: blanks for line ends, closing braces still indented.
    EXPECT_EQ(root.FindChild("Group")->ToText(true), "\"Group\": { \"__value\": \"gv\", \"A\": \"b\"   }");
}

TEST(KeyValueJson, RoundTripKeepsValuesNamesAndShape)
{
    TQZKeyValue root("Scene");
    const char* values[] = {"say \"hi\"", "  blanks  kept ", "back\\slash\\", "}{ ][ ,:", "null", "007", ""};
    for (int i = 0; i < 7; ++i) root.SetPath("V" + std::to_string(i), values[i]);
    root.Put("Deep.List[..]", "a]");
    root.AddArrayElement("Deep.List", "")->SetPath("Name", "[x");
    root.SetPath("Deep", "own value");
    root.SetPath("Deep.__ancestor", "a child, not a name");

    for (bool compact : {false, true}) {
        TQZKeyValue back;
        EXPECT_TRUE(back.ParseText(root.ToText(compact)));
        EXPECT_EQ(back.Name(), "Scene");
        for (int i = 0; i < 7; ++i) EXPECT_EQ(back.GetValue("V" + std::to_string(i)), values[i]) << i;
        EXPECT_EQ(back.GetValue("Deep"), "own value");
        EXPECT_EQ(back.GetValue("Deep.__ancestor"), "a child, not a name");
        EXPECT_EQ(back.FindNode("Deep")->Name(), "Deep");
        EXPECT_EQ(back.GetValue("Deep.List[0]"), "a]");
        EXPECT_EQ(back.GetValue("Deep.List[1].Name"), "[x");
        EXPECT_TRUE(back.FindNode("deep.list")->IsArray());
        EXPECT_EQ(back.ToText(false), root.ToText(false));
    }
}

TEST(KeyValueJson, QuotedBracesDoNotEndContainers)
{
    // The contract text of a saved game holds an unmatched brace.
    const char* text = R"({
  "state": {
    "contract": "6 Spades }",
    "handswon": "{3,2}",
    "tricks": { "trick": { "[1]": "[AS, ]KH" } },
    "status": 5
  },
  "game_version": "Version 1.90"
})";
    TQZKeyValue root;
    EXPECT_TRUE(root.ParseText(text));
    EXPECT_EQ(root.GetValue("State.Contract"), "6 Spades }");
    EXPECT_EQ(root.GetValue("State.Handswon"), "{3,2}");
    EXPECT_EQ(root.GetValue("State.Tricks.Trick.[1]"), "[AS, ]KH");
    EXPECT_EQ(root.GetInt("State.Status"), 5);
    EXPECT_EQ(root.GetValue("Game_version"), "Version 1.90");
}

TEST(KeyValueJson, ReaderForms)
{
    TQZKeyValue root;
    EXPECT_TRUE(root.ParseText(R"({ "a.b": 1, "n": null, "t": true, "list": [ , x, ], "nested": [ [1,2], [] ],
                                   "esc": "q\"\\", unquoted key: 3, "": "own",
                                   "g": { "__value": { "x": 1 }, "__ancestor": [ 2 ], "__value": "gv" },
                                   "a..c": { "d": 4 } })"));
    EXPECT_EQ(root.GetValue("A.B"), "1");
    EXPECT_TRUE(root.HasPath("N"));
    EXPECT_EQ(root.GetValue("N"), "");
    EXPECT_EQ(root.GetValue("T"), "true");
    ASSERT_EQ(root.FindChild("List")->ChildCount(), 2);
    EXPECT_EQ(root.GetValue("List[1]"), "x");
    EXPECT_EQ(root.GetValue("Nested[0][1]"), "2");
    EXPECT_TRUE(root.FindNode("Nested[1]")->IsArray());
    EXPECT_EQ(root.GetValue("Esc"), "q\"\\");
    EXPECT_EQ(root.GetValue("Unquotedkey"), "3");  // blanks outside strings go
    EXPECT_EQ(root.Value(), "own");
    // The reserved words before a container, or "__ancestor" below the top,
    // are keys of children.
    EXPECT_EQ(root.GetValue("G.__value.X"), "1");
    EXPECT_EQ(root.GetValue("G.__ancestor[0]"), "2");
    EXPECT_EQ(root.GetValue("G"), "gv");
    EXPECT_EQ(root.GetValue("A..C.D"), "4");

    // Arrays in arrays are written without keys and read back.
    TQZKeyValue back;
    ASSERT_TRUE(back.ParseText(root.ToText(true)));
    EXPECT_EQ(back.GetValue("Nested[0][1]"), "2");
    EXPECT_EQ(back.FindNode("Nested")->ChildCount(), 2);
    EXPECT_EQ(back.GetValue("G.__value.X"), "1");
    EXPECT_EQ(back.GetValue("G.__ancestor[0]"), "2");
    // A child with an empty name is written with its empty key, so the text
    // still reads whole; the key names its parent, which takes its children.
    EXPECT_EQ(back.GetValue("A.C.D"), "4");
}

TEST(KeyValueJson, MalformedTextGivesPartialTree)
{
    struct Case {
        const char* text;
        const char* present;  // a path that parsed before the fault
        const char* absent;   // a path that did not
    };
    const Case cases[] = {
        {R"({"a": 1, "b": "open)", "A", "B.X"},
        {R"({"a": 1, "b": {"c": 2)", "B.C", "D"},
        {R"({"a": 1, "b" 2})", "A", "B"},
        {R"({"a": 1, "b":)", "A", "C"},
        {R"({"a": [1, 2)", "A[1]", "A[2]"},
        {R"({"a": 1, "b": 2 "c": 3})", "B", "C"},
        {R"({"a": 1, "b": "x\)", "A", "C"},
        {R"({"a": 1, , "b": 2})", "A", "B"},
        {R"({"a": 1} trailing)", "A", "Trailing"},
    };
    for (const Case& c : cases) {
        TQZKeyValue root;
        EXPECT_FALSE(root.ParseText(c.text)) << c.text;
        EXPECT_TRUE(root.HasPath(c.present)) << c.text;
        EXPECT_FALSE(root.HasPath(c.absent)) << c.text;
    }
    for (const char* text : {"", "{", "[", "\"", "{\"", "]", "}", ":", "{:}", "[,", "\\"}) {
        TQZKeyValue root;
        (void)root.ParseText(text);  // must neither crash nor hang; the tree stays small
        EXPECT_LE(root.ChildCount(), 1) << text;
    }
}

TEST(KeyValueJson, NestingStopsAtLimit)
{
    const int limit = TQZKeyValue::MAX_PARSE_DEPTH;
    auto nested = [](int levels) {
        std::string text;
        for (int i = 0; i < levels; ++i) text += "{\"k\":";
        text += "1";
        for (int i = 0; i < levels; ++i) text += "}";
        return text;
    };
    auto deepest = [](const TQZKeyValue& root) {
        int depth = 0;
        for (const TQZKeyValue* n = &root; n->ChildCount() > 0; n = n->GetChild(0)) ++depth;
        return depth;
    };
    TQZKeyValue ok;
    EXPECT_TRUE(ok.ParseText(nested(limit)));
    EXPECT_EQ(deepest(ok), limit);

    TQZKeyValue deep;
    EXPECT_FALSE(deep.ParseText(nested(100000)));
    EXPECT_EQ(deepest(deep), limit);

    TQZKeyValue arrays;
    EXPECT_FALSE(arrays.ParseText(std::string(100000, '[')));
    EXPECT_EQ(deepest(arrays), limit);

    // A dotted key counts every level it would create.
    std::string longKey(2 * limit, '.');
    TQZKeyValue dotted;
    EXPECT_FALSE(dotted.ParseText("{\"a\": 1, \"" + longKey + "\": 2}"));
    EXPECT_EQ(dotted.ChildCount(), 1);

    // Unkeyed members do not nest the tree but still count.
    std::string same;
    for (int i = 0; i < 100000; ++i) same += "{\"\":";
    TQZKeyValue flat;
    EXPECT_FALSE(flat.ParseText(same));
}

TEST(KeyValueJson, BytesAreCompactAndReadBack)
{
    TQZKeyValue session("samegameQar");
    session.SetPath("State.Prompt", "Your  turn, North");
    session.SetPath("State.Contract", "6 Spades }");
    session.SetPath("Name", "ends with \\");
    session.SetPath("Other", "a b");
    session.Put("State.Players[..]", "x y");
    std::vector<uint8_t> bytes = session.SaveToBytes();
    std::string text(bytes.begin(), bytes.end());
    EXPECT_EQ(text,
              R"({"__ancestor":"Samegameqar","State":{"Prompt":"Your  turn, North","Contract":"6 Spades }",)"
              R"("Players":["x y"]},"Name":"ends with \\","Other":"a b"})");

    TQZKeyValue received("savegameQar");
    EXPECT_TRUE(received.LoadFromBytes(bytes));
    EXPECT_EQ(received.Name(), "Samegameqar");
    EXPECT_EQ(received.GetValue("State.Prompt"), "Your  turn, North");
    EXPECT_EQ(received.GetValue("Name"), "ends with \\");
    EXPECT_EQ(received.GetValue("Other"), "a b");
    EXPECT_EQ(received.GetValue("State.Players[0]"), "x y");

    TQZKeyValue empty;
    EXPECT_TRUE(empty.LoadFromBytes({}));
    EXPECT_EQ(empty.ChildCount(), 0);
}

TEST(KeyValueJson, FilesAndOverwrite)
{
    vqtest::TempDir dir;
    TQZKeyValue root;
    root.SetPath("Text", "line one\nline two");
    root.SetPath("Keep", "mine");
    ASSERT_TRUE(root.SaveToFile(dir.File("Savedgame.txt"), KVFORM_JSON));
    EXPECT_EQ(vqtest::ReadFile(dir.File("Savedgame.txt")), root.ToText(false));

    TQZKeyValue back;
    back.SetPath("Keep", "already");
    ASSERT_TRUE(back.LoadFromFile(dir.File("Savedgame.txt"), KVFORM_JSON, false));
    EXPECT_EQ(back.GetValue("Text"), "line one\nline two");
    EXPECT_EQ(back.GetValue("Keep"), "already");
    EXPECT_TRUE(back.overwrite);

    EXPECT_FALSE(back.LoadFromFile(dir.File("Nothing.json"), KVFORM_JSON, true));

    // A byte order mark in front of either form is passed over.
    vqtest::WriteFile(dir.File("Marked.json"), "\xEF\xBB\xBF{\"Mark\": 1}");
    vqtest::WriteFile(dir.File("Marked.txt"), "\xEF\xBB\xBFLine=\"2\"\r\n");
    TQZKeyValue marked;
    ASSERT_TRUE(marked.LoadFromFile(dir.File("Marked.json"), KVFORM_JSON, true));
    ASSERT_TRUE(marked.LoadFromFile(dir.File("Marked.txt"), KVFORM_LINES, true));
    EXPECT_EQ(marked.GetInt("Mark"), 1);
    EXPECT_EQ(marked.GetInt("Line"), 2);
    auto fromText = TQZKeyValue::CreateFromText(vqtest::ReadFile(dir.File("Savedgame.txt")));
    EXPECT_EQ(fromText->GetValue("Keep"), "mine");
}

TEST(KeyValueJson, LeafAndArrayRootsReadBack)
{
    TQZKeyValue leaf("Named", "value with \"quote\"");
    TQZKeyValue leafBack;
    EXPECT_TRUE(leafBack.ParseText(leaf.ToText(false)));
    EXPECT_EQ(leafBack.Value(), "value with \"quote\"");

    auto list = TQZKeyValue::CreateFromText("[ 1, 2, 3 ]");
    EXPECT_EQ(list->ToText(false), "[ 1,2,3 ]");
    // A child leaf written alone carries its key.
    EXPECT_EQ(leaf.SetPath("Sub", "7")->ToText(false), "\"Sub\": 7");
}

}  // namespace

TEST(KeyValueTree, FloatsAreStoredAsTrimmedText)
{
    TQZKeyValue root;
    root.SetFloat("Scale", 1.5f);
    root.SetFloat("Whole", 2.0f);
    EXPECT_EQ("1.5", root.GetValue("Scale"));
    EXPECT_EQ("2", root.GetValue("Whole"));
}

#include "CardsetEditor.h"
#include "UICarddeckview.h"
#include "clCardGraphics.h"
#include "coreManager.h"
#include "editorfixture.h"
#include "editortestutil.h"
#include "foreigndecks.h"
#include "ioLoader.h"
#include "ioCardset.h"
#include "mgrLoaders.h"
#include "mgrResources.h"
#include "qz7memory.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "mgrTimers.h"
#include "qz7guibutton.h"
#include "qz7guidialog.h"
#include "qz7guihost.h"
#include "qz7guiscrollbar.h"
#include "testutil.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>

namespace {

namespace fs = std::filesystem;

using editortest::EditorTest;

TEST_F(EditorTest, StartsWithTheBasicCardsetItsFieldsAndEveryDialog)
{
    ASSERT_NE(nullptr, app->Cardset());
    EXPECT_EQ(ApplicationName(), QZ_EDITOR_IDENTITY);
    EXPECT_FALSE(IsManagerCreated(MGR_STEAM)) << "the editor drops the managers it does not run";
    EXPECT_TRUE(IsManagerCreated(MGR_LOADERS));
    EXPECT_EQ(std::to_string(app->Cardset()->Width()), Field("EditCardSizeX"));
    EXPECT_EQ(std::to_string(app->Cardset()->Height()), Field("EditCardSizeY"));
    EXPECT_EQ(app->Cardset()->Title, Field("editCardTitle"));
    ASSERT_NE(nullptr, app->NewDialog());
    ASSERT_NE(nullptr, app->CameoDialog());
    ASSERT_NE(nullptr, app->ResizeDialog());
    EXPECT_FALSE(app->NewDialog()->Visible());
    ASSERT_NE(nullptr, app->DeckView());
    EXPECT_EQ(app->Cardset(), app->DeckView()->Cardset());
    std::function<TQZGUIWindow*(TQZGUIWindow*, int32_t)> byId = [&](TQZGUIWindow* w, int32_t id) -> TQZGUIWindow* {
        for (int32_t i = 0; i < w->ChildCount(); ++i) {
            if (w->GetChild(i)->ID() == id) return w->GetChild(i);
            if (TQZGUIWindow* f = byId(w->GetChild(i), id)) return f;
        }
        return nullptr;
    };
    for (int32_t id : {5, 7, 8, 9, 11, 12, 13, 14, 15, 16, 17})
        EXPECT_NE(nullptr, byId(app->Host(), id)) << "a button sends command " << id;
    EXPECT_TRUE(warnings.empty());
}

TEST_F(EditorTest, ZoomsFollowTheCardsAspect)
{
    NewCardset(71, 96);
    ASSERT_EQ(71, app->Cardset()->Width());
    struct Case {
        int32_t command;
        TQZPoint view;
    } cases[] = {{EDCMD_ZOOM_1, {71, 96}}, {EDCMD_ZOOM_2, {142, 192}}, {EDCMD_ZOOM_3, {213, 288}}};
    for (const Case& c : cases) {
        app->OnCommand(c.command);
        EXPECT_EQ(c.view.x, app->ViewSize().x);
        EXPECT_EQ(c.view.y, app->ViewSize().y);
        EXPECT_EQ(c.view.x, app->DeckView()->CardSize().x);
    }
    EXPECT_EQ("213x288", Field("ViewSizeScroll"));
}

TEST(SizeVerdictTest, RatioTextColourAndOk)
{
    struct Case {
        int32_t w, h;
        const char* text;
        TQZColour colour;
        bool ok;
    } cases[] = {{0, 96, "n/a", 0xFFD08080, false},   {71, 0, "n/a", 0xFFD08080, false},
                 {100, 120, "1.20", 0xFF80D080, true}, {100, 100, "1.00", 0xFFD0D080, true},
                 {100, 151, "1.51", 0xFFD0D080, true}, {5000, 10, "too large", 0xFFD08080, false},
                 {4096, 4096, "1.00", 0xFFD0D080, true}, {4097, 4096, "too large", 0xFFD08080, false},
                 {4096, 4097, "too large", 0xFFD08080, false}, {1, 1, "1.00", 0xFFD0D080, true}};
    for (const Case& c : cases) {
        const TSizeVerdict v = SizeVerdict(c.w, c.h);
        EXPECT_EQ(c.text, v.text);
        EXPECT_EQ(c.colour, v.colour);
        EXPECT_EQ(c.ok, v.ok);
    }
}

// Texts typed and not yet saved belong to the user: no command but opening
// a cardset puts other texts into the fields.
TEST_F(EditorTest, TypedTextsSurviveEveryCommandThatIsNotAboutThem)
{
    const std::string junk = (fs::path(home.Path()) / "junk.cards").string();
    std::ofstream(junk) << "not a cardset";
    auto okDialog = [&](int32_t command, const char* width, const char* height) {
        return [=, this] {
            app->onDialogFrame = [&, width, height](TQZGUIDialog* d) {
                if (width) SetField(d, "editWidth", width);
                if (height) SetField(d, "editHeight", height);
                app->Step();
                if (d->OKButton()->Enabled()) d->OKButton()->Click();
            };
            app->OnCommand(command);
            app->onDialogFrame = nullptr;
        };
    };
    struct Case {
        const char* name;
        std::function<void()> run;
    } cases[] = {
        {"resize", okDialog(EDCMD_RESIZE, "88", "120")},
        {"new", okDialog(EDCMD_NEW, "71", "96")},
        {"new with white cards", [&] { NewCardset(60, 90, true); }},
        {"cameo", okDialog(EDCMD_CAMEO, nullptr, nullptr)},
        {"fresh card", [&] { app->OnCommand(EDCMD_OVERLAY_CARD); }},
        {"card size", [&] {
             app->FindWidget("EditCardSizeX")->SetText("80");
             app->OnCommand(EDCMD_CARDSIZE_X);
         }},
        {"zoom 1", [&] { app->OnCommand(EDCMD_ZOOM_1); }},
        {"zoom 2", [&] { app->OnCommand(EDCMD_ZOOM_2); }},
        {"zoom 3", [&] { app->OnCommand(EDCMD_ZOOM_3); }},
        {"zoom bar", [&] { dynamic_cast<TQZGUIScrollBar*>(app->FindWidget("ViewSizeScroll"))->SetValue(100); }},
        {"open that fails", [&] {
             answer = junk;
             app->OnCommand(EDCMD_OPEN);
         }},
    };
    auto* align = dynamic_cast<TQZGUICheckbox*>(app->FindWidget("AlignLeftCheckBox"));
    ASSERT_NE(nullptr, align);
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string mark = std::to_string(++n);
        app->FindWidget("editCardTitle")->SetText("Title " + mark);
        app->FindWidget("editCardAuthor")->SetText("Author " + mark);
        app->FindWidget("editCardComments")->SetText("Comments " + mark);
        align->SetValue(n % 2 == 0);
        c.run();
        EXPECT_EQ("Title " + mark, Field("editCardTitle"));
        EXPECT_EQ("Author " + mark, Field("editCardAuthor"));
        EXPECT_EQ("Comments " + mark, Field("editCardComments"));
        EXPECT_EQ(n % 2 == 0, align->Value());
        EXPECT_EQ(std::to_string(app->Cardset()->Width()), Field("EditCardSizeX"));
        EXPECT_EQ(std::to_string(app->Cardset()->Height()), Field("EditCardSizeY"));
    }
    EXPECT_EQ((TQZPoint{80, 90}), (TQZPoint{app->Cardset()->Width(), app->Cardset()->Height()})) << "the commands ran";
    answer = (fs::path(home.Path()) / "kept.cards").string();
    app->OnCommand(EDCMD_SAVE);
    std::unique_ptr<TCardGraphics> back = Loaders->LoadCardset(answer);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ("Title " + std::to_string(n), back->Title);
    EXPECT_EQ("Comments " + std::to_string(n), back->Comments);
    EXPECT_EQ(n % 2 == 0, back->AlignLeft);
}

TEST_F(EditorTest, ResizeDialogRefusesAZeroWidth)
{
    const int32_t before = app->Cardset()->Width();
    bool checked = false;
    int32_t frame = 0;
    // The fields are checked once a frame: the first frame types, the next one looks.
    app->onDialogFrame = [&](TQZGUIDialog* d) {
        if (frame++ == 0) {
            SetField(d, "editWidth", "0");
            return;
        }
        TQZGUIWindow* ratio = FindByTitleDeep(d, "editAspectRatio");
        ASSERT_NE(nullptr, ratio);
        EXPECT_EQ("n/a", ratio->Text());
        EXPECT_EQ(0xFFD08080u, ratio->Color());
        EXPECT_FALSE(d->OKButton()->Enabled());
        checked = true;
        d->CancelButton()->Click();
    };
    app->OnCommand(EDCMD_RESIZE);
    EXPECT_TRUE(checked);
    EXPECT_EQ(before, app->Cardset()->Width());
}

TEST_F(EditorTest, ResizeScalesEveryPicture)
{
    app->onDialogFrame = [&](TQZGUIDialog* d) {
        SetField(d, "editWidth", "90");
        SetField(d, "editHeight", "126");
        app->Step();
        d->OKButton()->Click();
    };
    app->OnCommand(EDCMD_RESIZE);
    EXPECT_EQ(90, app->Cardset()->Width());
    EXPECT_EQ("126", Field("EditCardSizeY"));
    ASSERT_NE(nullptr, app->Cardset()->GetImage(0));
    EXPECT_EQ(128, app->Cardset()->GetImage(0)->GetWidth());
}

TEST_F(EditorTest, ANewEmptyCardsetSavesAsHeaderAndTexts)
{
    NewCardset(71, 96);
    for (int32_t i = 0; i < CARDGFX_SLOTS; ++i) EXPECT_FALSE(app->Cardset()->HasImage(i));
    // The fields keep what they showed; the texts are the user's to change.
    app->FindWidget("editCardTitle")->SetText("Mine");
    app->FindWidget("editCardAuthor")->SetText("");
    app->FindWidget("editCardComments")->SetText("");
    answer = (fs::path(home.Path()) / "mine.cards").string();
    app->OnCommand(EDCMD_SAVE);
    EXPECT_EQ("Save Cardset as", asked.back());
    ASSERT_TRUE(fs::exists(answer));
    EXPECT_EQ(CARDS_HEADER_SIZE + 12 + 4, int64_t(fs::file_size(answer)))
        << "the header, then the lengths of the three texts and \"Mine\"; no pictures";
    EXPECT_TRUE(warnings.empty());
    EXPECT_TRUE(app->OpenCardset(answer));
    EXPECT_EQ("Mine", app->Cardset()->Title);
}

TEST_F(EditorTest, ASaveThatFailsSaysSoAndAFailedOpenKeepsTheCardset)
{
    TCardGraphics* before = app->Cardset();
    answer = (fs::path(home.Path()) / "no such folder" / "x.cards").string();
    app->OnCommand(EDCMD_SAVE);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_NE(std::string::npos, warnings[0].find("could not be saved"));

    const std::string junk = (fs::path(home.Path()) / "junk.cards").string();
    std::ofstream(junk) << "not a cardset";
    EXPECT_FALSE(app->OpenCardset(junk));
    EXPECT_EQ(before, app->Cardset());
    EXPECT_EQ(before, app->DeckView()->Cardset());
    EXPECT_EQ(2u, warnings.size());
}

TEST_F(EditorTest, CardSizesOutsideOneTo4096AreRefused)
{
    const TQZPoint before{app->Cardset()->Width(), app->Cardset()->Height()};
    for (const char* bad : {"0", "-3", "4097", "5000", "abc"}) {
        app->FindWidget("EditCardSizeX")->SetText(bad);
        app->OnCommand(EDCMD_CARDSIZE_X);
        EXPECT_EQ(before.x, app->Cardset()->Width()) << bad;
    }
    app->FindWidget("EditCardSizeX")->SetText("100");
    app->OnCommand(EDCMD_CARDSIZE_X);
    EXPECT_EQ(100, app->Cardset()->Width());
    EXPECT_EQ(before.y, app->Cardset()->Height());
    // The largest size is one the new-cardset dialog takes too.
    NewCardset(4096, 4096);
    EXPECT_EQ(4096, app->Cardset()->Width());
    EXPECT_EQ(4096, app->Cardset()->Height());
    // The edges of the range are sizes like any other.
    for (const auto& [x, y] : {std::pair{"4096", "4096"}, std::pair{"1", "1"}}) {
        app->FindWidget("EditCardSizeX")->SetText(x);
        app->FindWidget("EditCardSizeY")->SetText(y);
        app->OnCommand(EDCMD_CARDSIZE_Y);
        EXPECT_EQ(std::stoi(x), app->Cardset()->Width());
        EXPECT_EQ(std::stoi(y), app->Cardset()->Height());
    }
}

// What a save cut short by a crash left beside a cardset goes when that
// cardset is opened or saved again, once a minute old; a save that may still
// be running, another file's leftovers and look-alikes stay.
TEST_F(EditorTest, OpeningOrSavingACardsetRemovesItsStaleUnfinishedSaves)
{
    NewCardset(71, 96);
    const fs::path folder = home.Path();
    answer = (folder / "mine.cards").string();
    app->OnCommand(EDCMD_SAVE);
    ASSERT_TRUE(fs::exists(answer));
    auto leave = [&](const std::string& name, std::chrono::seconds age) {
        std::ofstream(folder / name) << "half a cardset";
        fs::last_write_time(folder / name, fs::file_time_type::clock::now() - age);
    };
    const std::string kept[] = {"mine.cards.tmp.Fresh1", "other.cards.tmp.Ab3xYz", "mine.cards.tmp.ab-def",
                                "xmine.cards.tmp.Ab3xYz", "mine.cards"};
    for (int32_t command : {0, int32_t(EDCMD_SAVE)}) {
        SCOPED_TRACE(command ? "save" : "open");
        leave("mine.cards.tmp.Ab3xYz", std::chrono::seconds(61));
        leave("mine.cards.tmp.000000", std::chrono::hours(30));
        leave("mine.cards.tmp.Fresh1", std::chrono::seconds(20));
        leave("other.cards.tmp.Ab3xYz", std::chrono::hours(1));
        leave("mine.cards.tmp.ab-def", std::chrono::hours(1));
        leave("xmine.cards.tmp.Ab3xYz", std::chrono::hours(1));
        if (command)
            app->OnCommand(command);
        else
            EXPECT_TRUE(app->OpenCardset(answer));
        EXPECT_FALSE(fs::exists(folder / "mine.cards.tmp.Ab3xYz"));
        EXPECT_FALSE(fs::exists(folder / "mine.cards.tmp.000000"));
        for (const std::string& name : kept) EXPECT_TRUE(fs::exists(folder / name)) << name;
    }
    EXPECT_TRUE(warnings.empty());
}

TEST_F(EditorTest, CommandsOnAnEmptySlotOrWithoutTheirObjectsDoNothing)
{
    NewCardset(71, 96);
    app->DeckView()->SetSelected(4);
    app->OnCommand(EDCMD_EXPORT_CARD);
    EXPECT_TRUE(asked.empty()) << "no picture: no save dialog";
    app->OnCommand(99);
    app->OnCommand(4);
    EXPECT_TRUE(warnings.empty());
}

TEST_F(EditorTest, OverlayCommandMakesAWhiteCardWithItsIndex)
{
    NewCardset(71, 96);
    app->DeckView()->SetSelected(0);
    app->OnCommand(EDCMD_OVERLAY_CARD);
    TQZTexture* card = app->Cardset()->GetImage(0);
    ASSERT_NE(nullptr, card);
    EXPECT_EQ(0xFFFFFFFFu, editortest::PixelOf(card, 35, 48)) << "white in the middle";
    bool ink = false;
    for (int32_t y = 2; y < 20 && !ink; ++y)
        for (int32_t x = 2; x < 20 && !ink; ++x) ink = (editortest::PixelOf(card, x, y) & 0xFFFFFF) < 0x404040;
    EXPECT_TRUE(ink) << "a dark index in the top-left corner";
}

// Pixels of the key's hue (red and blue well above green): speckles of a
// key that resampled to one step off, or ink mixed with the key.
int32_t KeyHuePixels(TQZTexture* card, TQZPoint size)
{
    int32_t n = 0;
    for (int32_t y = 0; y < size.y; ++y)
        for (int32_t x = 0; x < size.x; ++x) {
            const uint32_t p = editortest::PixelOf(card, x, y);
            const int32_t r = int32_t(p >> 16 & 0xFF), g = int32_t(p >> 8 & 0xFF), b = int32_t(p & 0xFF);
            n += (p >> 24) != 0 && std::min(r, b) - g > 0x30;
        }
    return n;
}

TEST_F(EditorTest, FreshWhiteCardsCarryNoTraceOfTheKeyIntoTheSavedFile)
{
    for (TQZPoint size : {TQZPoint{71, 96}, TQZPoint{120, 170}}) {
        SCOPED_TRACE(std::to_string(size.x) + "x" + std::to_string(size.y));
        NewCardset(size.x, size.y, true);
        app->DeckView()->SetSelected(52);
        app->OnCommand(EDCMD_OVERLAY_CARD);  // the joker once more, by the command
        answer = (fs::path(home.Path()) / "fresh.cards").string();
        app->OnCommand(EDCMD_SAVE);
        std::unique_ptr<TCardGraphics> back = Loaders->LoadCardset(answer);
        ASSERT_NE(nullptr, back);
        for (int32_t slot = 0; slot < CARDGFX_SLOTS; ++slot) {
            TQZTexture* card = back->GetImage(slot);
            ASSERT_NE(nullptr, card) << slot;
            EXPECT_EQ(0, KeyHuePixels(card, size)) << "card " << slot;
        }
    }
    EXPECT_TRUE(warnings.empty());
}

TEST_F(EditorTest, DroppedFilesThatWillNotDecodeAreIgnored)
{
    TQZTexture* before = app->Cardset()->GetImage(0);
    const std::string bad = (fs::path(home.Path()) / "bad.png").string();
    std::ofstream(bad) << "garbage";
    app->OnCardFileDropped(0, bad);
    EXPECT_EQ(before, app->Cardset()->GetImage(0));
    app->OnCardFileDropped(0, (fs::path(home.Path()) / "missing.png").string());
    EXPECT_EQ(before, app->Cardset()->GetImage(0));
}

TEST_F(EditorTest, ADropOnAnEmptySlotWithCameoTickedIsAPlainPicture)
{
    NewCardset(71, 96);
    auto* cameo = dynamic_cast<TQZGUICheckbox*>(app->FindWidget("CameoCheckBox"));
    ASSERT_NE(nullptr, cameo);
    cameo->SetValue(true);
    app->OnCardFileDropped(3, kCameoPreview);
    TQZTexture* card = app->Cardset()->GetImage(3);
    ASSERT_NE(nullptr, card);
    EXPECT_EQ(128, card->GetWidth());
    EXPECT_EQ(0u, editortest::PixelOf(card, 100, 100) >> 24) << "outside the card stays clear";
}

TEST_F(EditorTest, ClosingTheWindowDuringADialogEndsItAsCancel)
{
    const int32_t before = app->Cardset()->Width();
    app->onDialogFrame = [&](TQZGUIDialog* d) {
        SetField(d, "editWidth", "50");
        app->Terminated = true;  // what the window's close request sets
    };
    app->OnCommand(EDCMD_NEW);
    EXPECT_EQ(before, app->Cardset()->Width());
    EXPECT_FALSE(app->NewDialog()->Modal());
    EXPECT_FALSE(app->NewDialog()->Visible());
}

TEST_F(EditorTest, ButtonScriptsBecomeTheFramesCommand)
{
    auto* button = dynamic_cast<TQZGUIButton*>(app->FindWidget("NewButton"));
    ASSERT_NE(nullptr, button);
    button->SetScript("42");
    std::vector<int32_t> seen;
    app->onCommand = [&](int32_t id) { seen.push_back(id); };
    button->Click();
    EXPECT_EQ("42", app->PendingCommand());
    app->Step();
    EXPECT_EQ(std::vector<int32_t>{EDCMD_NEW}, seen);
    EXPECT_EQ("", app->PendingCommand());
}


// One colour as a PNG file's bytes.
vqdecks::Bytes PlainPng(int32_t w, int32_t h, uint32_t colour)
{
    auto t = editortest::MakeTexture(w, h, [colour](int32_t, int32_t) { return colour; });
    std::unique_ptr<TQZMemory> png;
    if (!t || t->SaveToMemory(png, QZTEXFMT_PNG) != QZRES_OK || !png) return {};
    return vqdecks::Bytes(png->Data(), png->Data() + png->Size());
}

// Every foreign format composes its joker with the index from the game's
// sheet: opened in the editor it matches the game's composition of the same
// picture, and its index corners are not those of a card without a sheet.
TEST_F(EditorTest, ForeignDecksShowTheJokersIndexAsTheGameDoes)
{
    ASSERT_TRUE(IsManagerCreated(MGR_RESOURCES));
    TQZTexture* sheet = Resources->GetTexture(TEXTURE_INDEX_SHEET);
    ASSERT_NE(nullptr, sheet);
    const vqdecks::Bytes png = PlainPng(71, 96, 0xFF3060A0);
    ASSERT_FALSE(png.empty());
    vqdecks::RekoAmiga amiga;
    amiga.paletteRgb = {0x3060A0};
    amiga.value = [](int, int, int) { return uint8_t(0); };
    vqdecks::RekoPC pc;
    pc.pixel = [](int, int, int) { return uint16_t(0x0C54); };
    vqdecks::RekoRkp rkp;
    rkp.width = 71;
    rkp.height = 96;
    for (int position = 0; position < 54; ++position) rkp.entries.push_back(png);
    std::vector<vqdecks::WizSolEntry> wiz(53, vqdecks::WizSolEntry{71, 96, png});
    struct Case {
        const char* file;
        vqdecks::Bytes bytes;
        TQZPoint size;
    } cases[] = {
        {"deck.amiga", vqdecks::Build(amiga), {88, 130}},
        {"deck.reko", vqdecks::Build(pc), {88, 130}},
        {"deck.rkp", vqdecks::Build(rkp), {71, 96}},
        {"deck.wiz", vqdecks::BuildWizSol(wiz), {71, 96}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const std::string file = (fs::path(home.Path()) / c.file).string();
        std::ofstream(file, std::ios::binary)
            .write(reinterpret_cast<const char*>(c.bytes.data()), std::streamsize(c.bytes.size()));
        ASSERT_TRUE(app->OpenCardset(file));
        TQZTexture* joker = app->Cardset()->GetImage(52);
        ASSERT_NE(nullptr, joker);
        // The joker's own colour, from the middle where no index lies.
        const uint32_t colour = editortest::PixelOf(joker, c.size.x / 2, c.size.y / 2);
        auto plain = editortest::MakeTexture(c.size.x, c.size.y, [colour](int32_t, int32_t) { return colour; });
        auto game = ComposeCardImage(52, plain.get(), false, c.size, sheet);
        auto blank = ComposeCardImage(52, plain.get(), false, c.size, nullptr);
        ASSERT_TRUE(game && blank);
        int32_t differing = 0, indexed = 0;
        for (int32_t y = 0; y < c.size.y; ++y)
            for (int32_t x = 0; x < c.size.x; ++x) {
                const uint32_t p = editortest::PixelOf(joker, x, y);
                differing += p != editortest::PixelOf(game.get(), x, y);
                if (x < INDEX_JOKER_CELL.Width()) indexed += p != editortest::PixelOf(blank.get(), x, y);
            }
        EXPECT_EQ(0, differing) << "pixels unlike the game's joker";
        EXPECT_GT(indexed, 100) << "index pixels in the top-left corner";
    }
    EXPECT_TRUE(warnings.empty());
}


// A cardset that asks for the game's own indices gets them when the editor
// opens it; the editor writes no such flag, so the indices stay in the
// pictures it saves instead of being lost.
TEST_F(EditorTest, ACardsetAskingForTheGamesIndicesKeepsThemThroughASave)
{
    TCardsFileContent c;
    c.width = 71;
    c.height = 96;
    c.title = "Own indices";
    c.images[0] = PlainPng(71, 96, 0xFF3060A0);
    c.images[52] = c.images[0];
    std::vector<uint8_t> bytes;
    ASSERT_TRUE(BuildCardsFile(c, bytes));
    const uint32_t flags = CARDS_FLAG_MARKER | CARDS_FLAG_OWN_INDICES;
    for (int i = 0; i < 4; ++i) bytes[size_t(CARDS_AT_FLAGS + i)] = uint8_t(flags >> (8 * i));
    const std::string file = (fs::path(home.Path()) / "own.cards").string();
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    ASSERT_TRUE(app->OpenCardset(file));

    const std::string saved = (fs::path(home.Path()) / "saved.cards").string();
    ASSERT_TRUE(SaveCardset(*app->Cardset(), saved, false));
    std::unique_ptr<TCardGraphics> back = Loaders->LoadCardset(saved);
    ASSERT_NE(nullptr, back);
    for (int32_t slot : {0, 52}) {
        SCOPED_TRACE(slot);
        TQZTexture* opened = app->Cardset()->GetImage(slot);
        TQZTexture* reread = back->GetImage(slot);
        ASSERT_TRUE(opened && reread);
        int32_t indexed = 0, differing = 0;
        for (int32_t y = 0; y < 96; ++y)
            for (int32_t x = 0; x < 71; ++x) {
                const uint32_t p = editortest::PixelOf(opened, x, y);
                if (x < INDEX_CELL_WIDTH && y < INDEX_CELL_HEIGHT) indexed += p != 0xFF3060A0u;
                differing += p != editortest::PixelOf(reread, x, y);
            }
        EXPECT_GT(indexed, 100) << "the index drawn in the top-left corner";
        EXPECT_EQ(0, differing) << "pixels changed by saving and reading back";
    }
    EXPECT_TRUE(warnings.empty());
}

TEST_F(EditorTest, ExportedCardsArePngFilesAndAFailedExportSaysSo)
{
    const int32_t slot = 0;
    app->DeckView()->SetSelected(slot);
    TQZTexture* card = app->Cardset()->GetImage(slot);
    ASSERT_NE(nullptr, card) << "the basic cardset has a picture in its first slot";
    answer = (fs::path(home.Path()) / "card.png").string();
    app->OnCommand(EDCMD_EXPORT_CARD);
    EXPECT_TRUE(warnings.empty());
    auto back = TQZTexture::CreateFromFile(answer, 0, false);
    ASSERT_TRUE(back);
    EXPECT_EQ(card->GetRect(), back->GetRect());

    answer = (fs::path(home.Path()) / "no such folder" / "card.png").string();
    app->OnCommand(EDCMD_EXPORT_CARD);
    ASSERT_EQ(1u, warnings.size());
    EXPECT_NE(std::string::npos, warnings[0].find("could not be saved"));
}

}  // namespace

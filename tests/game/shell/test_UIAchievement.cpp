// The achievement pop-up and list tile over the engine's achievements: the
// pop-ups' stacking and timing on a clock of the test's own, the hidden
// texts, and a tile's click.
#include "shellfixture.h"

#include "UIAchievement.h"
#include "UIAnimSmoke.h"
#include "clShellLinks.h"
#include "mgrAchievements.h"

namespace {

// The phases follow the test's clock instead of the stopwatch.
class TTimedAchievement : public TUIAchievement {
public:
    TTimedAchievement(int32_t id, TGUIWindow* parent, const TQZRect& rect, bool popup, const float* clock)
        : TUIAchievement(id, parent, rect, popup), clock_(clock)
    {
    }
    float Now() const override { return *clock_; }

private:
    const float* clock_;
};

class AchievementWidgets : public shelltest::EngineFixture {
protected:
    void SetUp() override
    {
        EngineFixture::SetUp();
        root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
        host = NewWindow<TUIAnimHost>(root.get());
    }
    void TearDown() override
    {
        root.reset();
        EngineFixture::TearDown();
    }
    TTimedAchievement* Popup(int32_t id)
    {
        return NewWindow<TTimedAchievement>(id, host, TQZRect{220, 25, 660, 74}, true, &clock);
    }
    int32_t Count(bool smoke) const
    {
        int32_t n = 0;
        for (int32_t i = 1; i <= host->ChildCount(); ++i)
            n += smoke ? dynamic_cast<TUIAnimSmoke*>(host->GetChild(i)) != nullptr
                       : dynamic_cast<TUIAchievement*>(host->GetChild(i)) != nullptr;
        return n;
    }
    TGUIWindowPtr<TGUIWindow> root;
    TUIAnimHost* host = nullptr;
    float clock = 0;
};

}  // namespace

TEST_F(AchievementWidgets, ThreePopupsStackAtTheTopRightAndLeaveAfterEightSeconds)
{
    TTimedAchievement* popups[] = {Popup(1), Popup(4), Popup(5)};
    const int32_t restX = 1280 - 440 - 10;
    for (int32_t i = 0; i < 3; ++i) EXPECT_EQ(i, popups[i]->StackIndex());

    clock = 0.0f;  // just made: above the top edge
    host->UpdateTree();
    EXPECT_EQ(1, popups[0]->Phase());
    EXPECT_EQ(-49, popups[0]->GetRect().top);
    clock = 0.65f;  // sliding down
    host->UpdateTree();
    EXPECT_GT(popups[0]->GetRect().top, -49);
    EXPECT_LT(popups[0]->GetRect().top, 30);

    clock = 1.5f;
    host->UpdateTree();
    for (int32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(2, popups[i]->Phase());
        EXPECT_EQ((TQZPoint{restX, 30 + 60 * i}), (TQZPoint{popups[i]->GetRect().left, popups[i]->GetRect().top}));
    }
    EXPECT_EQ(3, Count(true)) << "one puff of smoke each, once";
    clock = 2.0f;
    host->UpdateTree();
    EXPECT_EQ(3, Count(true));

    const struct {
        float time;
        int32_t phase;
    } phases[] = {{1.29f, 1}, {1.31f, 2}, {1.95f, 3}, {4.5f, 4}, {7.5f, 5}, {8.01f, 6}};
    for (const auto& p : phases) {
        clock = p.time;
        EXPECT_EQ(p.phase, popups[0]->Phase()) << p.time;
    }
    clock = 7.9f;
    host->UpdateTree();
    EXPECT_EQ(3, Count(false)) << "still there before 8 s";
    clock = 8.01f;
    host->UpdateTree();  // finished and hidden
    host->UpdateTree();  // freed by the host
    EXPECT_EQ(0, Count(false));
}

TEST_F(AchievementWidgets, AHiddenLockedAchievementShowsHiddenUntilUnlocked)
{
    const TAchieveRec* hidden = nullptr;
    for (int32_t i = 0; i < Achievements->GetAchievementCount() && !hidden; ++i)
        if (Achievements->GetAchievement(i)->kind == "hidden") hidden = Achievements->GetAchievement(i);
    ASSERT_NE(nullptr, hidden);
    const int32_t id = hidden->id;
    TUIAchievement* tile = TUIAchievement::Create(id, root.get(), TQZRect{10, 10, 350, 59}, false);
    EXPECT_EQ("Hidden", tile->TitleText());
    EXPECT_EQ("Hidden", tile->DescriptionText());
    Achievements->SetProgress(id, Achievements->FindAchievementById(id)->target);
    EXPECT_EQ(Achievements->FindAchievementById(id)->title, tile->TitleText());
    EXPECT_EQ(Achievements->FindAchievementById(id)->description, tile->DescriptionText());
    EXPECT_EQ(22, AchievementIconTexture(*Achievements->FindAchievementById(id)));
}

TEST_F(AchievementWidgets, AClickedTileSendsItsCommandAndFlashesForAMoment)
{
    auto* tile = NewWindow<TTimedAchievement>(1, root.get(), TQZRect{10, 10, 350, 59}, false, &clock);
    tile->commandId = 3;
    EXPECT_TRUE(tile->mouseEnabled);
    EXPECT_EQ(3, tile->Phase());
    clock = 5.0f;
    tile->Click();
    TGUIWindow* sender = nullptr;
    int32_t command = 0;
    ASSERT_TRUE(root->PopCommand(sender, command));
    EXPECT_EQ(3, command);
    EXPECT_EQ(2, tile->Phase());
    clock = 5.4f;
    tile->Update();
    EXPECT_EQ(2, tile->Phase());
    EXPECT_FLOAT_EQ(0.5f, tile->PhaseProgress());
    clock = 5.61f;
    tile->Update();
    EXPECT_EQ(3, tile->Phase()) << "the flash lasts 0.6 s";
    EXPECT_EQ(10, tile->GetRect().left) << "a tile keeps its place";
}

TEST_F(AchievementWidgets, AnUnlockInTheGameShowsItsPopupOverTheScreensWithoutHoldingUpTheGame)
{
    EXPECT_EQ(static_cast<TAchievementLink*>(Achievements), &AchievementLink()) << "the game's triggers reach it";
    ASSERT_NE(nullptr, engine->AnimHost());
    const int32_t id = Achievements->GetAchievement(0)->id;
    Achievements->SetProgress(id, Achievements->FindAchievementById(id)->target);
    ASSERT_EQ(1, engine->AnimHost()->ChildCount());
    auto* popup = dynamic_cast<TUIAchievement*>(engine->AnimHost()->GetChild(1));
    ASSERT_NE(nullptr, popup);
    EXPECT_TRUE(popup->Popup());
    EXPECT_EQ(id, popup->AchievementId());
    EXPECT_FALSE(engine->AnimHost()->IsBusy());
}

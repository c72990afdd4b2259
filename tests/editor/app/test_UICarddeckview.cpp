#include "UICarddeckview.h"
#include "clCardGraphics.h"
#include "editortestutil.h"
#include "qz7guiscrollbar.h"

#include <string>
#include <vector>

namespace {

class DeckViewTest : public editortest::VideoFixture {
protected:
    std::unique_ptr<TQZGUIWindow> root;
    TUICardDeckView* view = nullptr;
    std::vector<std::pair<int32_t, std::string>> drops;

    void Make(int32_t width, int32_t height)
    {
        root = TQZGUIWindow::CreateRoot({0, 0, 1000, 1000});
        view = TQZGUIWindow::CreateChild<TUICardDeckView>(root.get(), {0, 0, width, height});
        view->LayoutChanged();
        view->onCardDropped = [this](int32_t slot, const std::string& f) { drops.push_back({slot, f}); };
    }
};

TEST_F(DeckViewTest, GridOfFiveColumnsAt400PixelsAndTheScrollRange)
{
    Make(400, 300);
    EXPECT_EQ(5, view->Columns());
    const TQZRect last = view->SlotRect(52);
    EXPECT_EQ(2 * 76, last.left);
    EXPECT_EQ(10 * 101, last.top);
    EXPECT_EQ(1106, last.bottom);
    ASSERT_NE(nullptr, view->ScrollBar());
    EXPECT_TRUE(view->ScrollBar()->Visible()) << "300 px cannot show 1106";
    EXPECT_EQ(1106, view->ScrollBar()->Max());
    EXPECT_EQ(300, view->ScrollBar()->PageSize());
}

TEST_F(DeckViewTest, ANarrowViewStillHasOneColumn)
{
    Make(40, 300);
    EXPECT_EQ(1, view->Columns());
    EXPECT_EQ(52 * 101, view->SlotRect(52).top);
}

TEST_F(DeckViewTest, TallViewHidesTheScrollBarAndHitsFollowScrolling)
{
    Make(400, 2000);
    EXPECT_FALSE(view->ScrollBar()->Visible());
    EXPECT_EQ(0, view->HitCard({5, 5}));
    EXPECT_EQ(-1, view->HitCard({73, 5})) << "the gap between cards";
    EXPECT_EQ(6, view->HitCard({80, 110}));

    Make(400, 300);
    view->ScrollBar()->SetValue(101);
    EXPECT_EQ(5, view->HitCard({5, 5})) << "one row scrolled away";
}

TEST_F(DeckViewTest, DraggingOverSelectsAndDroppingHandsTheSlotOver)
{
    Make(400, 300);
    view->DragOver({80, 5});
    EXPECT_EQ(1, view->Selected());
    EXPECT_TRUE(view->DragHover());
    view->DragOver({74, 5});  // between two cards
    EXPECT_FALSE(view->DragHover());
    EXPECT_EQ(1, view->Selected()) << "the selection stays";
    view->DragDrop({160, 110}, {"/pics/a.png", "/pics/b.png"});
    ASSERT_EQ(1u, drops.size());
    EXPECT_EQ(7, drops[0].first);
    EXPECT_EQ("/pics/a.png", drops[0].second);
    EXPECT_FALSE(view->DragHover());
}

TEST_F(DeckViewTest, ADropBesideEveryCardChangesOnlyTheHover)
{
    Make(400, 300);
    view->SetSelected(3);
    view->DragOver({5, 5});
    view->DragDrop({390, 5}, {"/pics/a.png"});
    EXPECT_TRUE(drops.empty());
    EXPECT_EQ(0, view->Selected()) << "the drag-over had selected slot 0";
    EXPECT_FALSE(view->DragHover());
}

TEST_F(DeckViewTest, ZoomChangesColumnsAndTheScrollBar)
{
    Make(400, 300);
    view->SetCardSize({142, 192});
    EXPECT_EQ(2, view->Columns());
    EXPECT_EQ(26 * 197 + 192, view->ScrollBar()->Max());
}

}  // namespace

#include "UIContinueBar.h"

#include "UIPlayerIcon.h"

#include <gtest/gtest.h>

namespace {

TEST(ContinueBarTest, FourMarkedIconsInABarCentredTwoThirdsDown)
{
    TGUIWindowPtr<TGUIWindow> root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    TUIContinueBar* bar = MakeUIContinueBar(root.get());
    // Centre (640, 533): 264 x 72 around it.
    EXPECT_EQ((TQZRect{508, 497, 772, 569}), bar->GetRect());
    for (TSeat s = 1; s <= 4; ++s) {
        TUIPlayerIcon* icon = bar->Icon(s);
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(s, icon->Seat());
        EXPECT_TRUE(icon->showMarker);
        const int32_t x = 64 * s - 60;
        EXPECT_EQ((TQZRect{x, 4, x + 64, 68}), icon->GetRect()) << int(s);
    }
    // The last icon ends inside the bar.
    EXPECT_LE(bar->Icon(4)->GetRect().right, bar->GetWidth());
}

TEST(ContinueBarTest, ArrangeCentresTheBarAgainInItsResizedParent)
{
    TGUIWindowPtr<TGUIWindow> root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    TUIContinueBar* bar = MakeUIContinueBar(root.get());
    root->SetRect({0, 0, 1920, 1080});
    EXPECT_TRUE(bar->Arrange());
    EXPECT_EQ((TQZRect{828, 684, 1092, 756}), bar->GetRect());
}

}  // namespace

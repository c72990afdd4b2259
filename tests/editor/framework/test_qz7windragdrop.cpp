// Files dropped onto the window: the four drag messages injected into the
// headless window system reach the drop target, which accepts only drags
// that carry files and only inside its rectangle.
#include "osWindow.h"
#include "qz7windragdrop.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace os = plat::os;

namespace {

// Records what the owner of the drop target hears, in order.
struct Handlers {
    std::vector<std::string> log;
    std::vector<std::string> files;
    void Enter() { log.push_back("enter"); }
    void Leave() { log.push_back("leave"); }
    void Over(TQZPoint p) { log.push_back("over " + std::to_string(p.x) + "," + std::to_string(p.y)); }
    void Drop(TQZPoint p, const std::vector<std::string>& f)
    {
        log.push_back("drop " + std::to_string(p.x) + "," + std::to_string(p.y));
        files = f;
    }
};

class DragDropTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        os::SelectWindowBackEnd(os::WindowBackEnd::Headless);
        FrameworkStart("test");
        window.Create("Editor", QZWS_SIZING, 320, 240);
        PumpFrame();
    }
    void TearDown() override
    {
        FrameworkStop();
        os::ResetWindowSystem();
    }
    std::unique_ptr<TQZDragDrop> Target(const TQZRect& rect)
    {
        auto d = std::make_unique<TQZDragDrop>(&window, rect);
        d->onEnter = MakeMethod<&Handlers::Enter>(&h);
        d->onLeave = MakeMethod<&Handlers::Leave>(&h);
        d->onOver = MakeMethod<&Handlers::Over>(&h);
        d->onDrop = MakeMethod<&Handlers::Drop>(&h);
        return d;
    }
    void Inject(os::InputKind kind, int32_t x, int32_t y, const std::string& files = "")
    {
        os::InputEvent e = os::MakeInput(kind, window.Handle(), x, y);
        e.text = files;
        os::InjectInput(e);
        PumpFrame();
    }

    TQZWindow window;
    Handlers h;
};

TEST_F(DragDropTest, ThreeDroppedFilesArriveInTheirOrder)
{
    auto d = Target({});
    ASSERT_TRUE(d->Registered());
    Inject(os::InputKind::DragEnter, 10, 20, "/home/u/c.png\n/home/u/a b.png\n/home/u/B.jpg\n");
    EXPECT_TRUE(d->inside);
    EXPECT_EQ(window.Handle(), os::FocusedWindow()) << "an accepted drag focuses the window";
    Inject(os::InputKind::DragOver, 30, 40);
    Inject(os::InputKind::DropFile, 31, 41);
    EXPECT_EQ((std::vector<std::string>{"enter", "over 30,40", "drop 31,41"}), h.log);
    EXPECT_EQ((std::vector<std::string>{"/home/u/c.png", "/home/u/a b.png", "/home/u/B.jpg"}), h.files);
    EXPECT_FALSE(d->inside);
}

TEST_F(DragDropTest, DragWithoutFilesIsRefusedAndNeverDropped)
{
    auto d = Target({});
    Inject(os::InputKind::DragEnter, 10, 20);  // text: no files
    Inject(os::InputKind::DragOver, 11, 21);
    Inject(os::InputKind::DropFile, 11, 21);
    EXPECT_TRUE(h.log.empty());
    EXPECT_FALSE(d->Target()->accepts);
    EXPECT_EQ((TQZPoint{11, 21}), d->Target()->point);
}

TEST_F(DragDropTest, OutsideTheTargetRectangleTheDragIsRefused)
{
    auto d = Target({0, 0, 100, 100});
    Inject(os::InputKind::DragEnter, 150, 20, "/tmp/x.png");
    Inject(os::InputKind::DragOver, 150, 20);
    Inject(os::InputKind::DragOver, 150, 20);
    Inject(os::InputKind::DragOver, 99, 99);
    Inject(os::InputKind::DragLeave, 0, 0);
    EXPECT_EQ((std::vector<std::string>{"enter", "over 99,99", "leave"}), h.log);
    EXPECT_EQ((TQZPoint{0, 0}), d->Target()->point) << "leaving forgets the point";

    h.log.clear();
    Inject(os::InputKind::DragEnter, 150, 20, "/tmp/x.png");
    Inject(os::InputKind::DropFile, 150, 20);
    EXPECT_EQ((std::vector<std::string>{"enter", "leave"}), h.log) << "dropped outside: the drag just leaves";
}

TEST_F(DragDropTest, DragRecordsEndWithTheDragWhoeverHandlesIt)
{
    {
        auto d = Target({});
        EXPECT_FALSE(TQZDragDrop(&window, {}).Registered()) << "one drop target per window";
        Inject(os::InputKind::DragEnter, 1, 1, "/tmp/x.png");
        Inject(os::InputKind::DragLeave, 0, 0);
    }
    EXPECT_EQ(nullptr, window.DropTarget()) << "the target is revoked with its owner";
    // Without a target the window's default handling ends the records too.
    os::InputEvent e = os::MakeInput(os::InputKind::DropFile, window.Handle(), 5, 5);
    e.text = "/tmp/y.png";
    os::InjectInput(e);
    os::WindowMessage m;
    ASSERT_TRUE(os::PeekWindowMessage(m));
    const uint64_t id = m.wParam;
    EXPECT_EQ(1u, os::DroppedFiles(id).size());
    os::DispatchWindowMessage(m);
    EXPECT_TRUE(os::DroppedFiles(id).empty());
}

}  // namespace

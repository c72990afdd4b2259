// Helpers of the scene toolkit's tests: a video that records what is drawn,
// a font of fixed metrics that records its text, a framework run with the
// headless window back end, and a headless device whose pixels are read.
#pragma once

#include "qz7videochoice.h"
#include "qz7direct3d.h"
#include "qz7gui.h"
#include "osWindow.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace guitest {

inline std::string Hex(uint32_t v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%08X", v);
    return b;
}
inline std::string RectText(const TQZRect& r)
{
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

// Every primitive becomes a line of the log: "fill L,T,R,B AARRGGBB".
class RecordingVideo : public TQZVideo {
public:
    explicit RecordingVideo(int32_t w = 640, int32_t h = 480)
    {
        outputRect_ = {0, 0, w, h};
        window_ = std::make_unique<TQZHeadlessVideoWindow>(w, h);
    }
    TQZHeadlessVideoWindow* Headless() { return static_cast<TQZHeadlessVideoWindow*>(window_.get()); }

    int32_t FillRect(const TQZRect& r, TQZColour c) override { return Log("fill " + RectText(r) + " " + Hex(c)); }
    int32_t DrawLine(TQZPoint a, TQZPoint b, TQZColour c, TQZColour, int32_t width) override
    {
        return Log("line " + std::to_string(a.x) + "," + std::to_string(a.y) + "-" + std::to_string(b.x) + "," +
                   std::to_string(b.y) + " w" + std::to_string(width) + " " + Hex(c));
    }
    int32_t FillTriangle(const std::vector<TQZPoint>& p, TQZColour c) override
    {
        std::string t = "triangle";
        for (const TQZPoint& q : p) t += " " + std::to_string(q.x) + "," + std::to_string(q.y);
        return Log(t + " " + Hex(c));
    }
    int32_t FillGradient(const TQZRect& r, TQZColour c1, int32_t kind, TQZColour c2) override
    {
        return Log("gradient " + RectText(r) + " k" + std::to_string(kind) + " " + Hex(c1) + " " + Hex(c2));
    }
    int32_t FillEllipse(TQZPointF c, TQZPointF r, TQZColour colour) override
    {
        char b[96];
        std::snprintf(b, sizeof b, "ellipse %.1f,%.1f r%.1f,%.1f ", double(c.x), double(c.y), double(r.x),
                      double(r.y));
        return Log(b + Hex(colour));
    }
    void PushClip(const TQZRect& r) override { Log("clip " + RectText(r)); }
    void PopClip(uint8_t) override { Log("unclip"); }

    int32_t Log(const std::string& line)
    {
        log.push_back(line);
        return QZRES_OK;
    }
    // Lines that begin with the prefix.
    std::vector<std::string> Lines(const std::string& prefix) const
    {
        std::vector<std::string> out;
        for (const std::string& l : log) {
            if (l.rfind(prefix, 0) == 0) out.push_back(l);
        }
        return out;
    }
    bool Has(const std::string& line) const
    {
        for (const std::string& l : log) {
            if (l == line) return true;
        }
        return false;
    }

    std::vector<std::string> log;
};

// 8 pixels a character, 16 a line; text goes to the video's log.
class RecordingFont : public TQZFont {
public:
    explicit RecordingFont(RecordingVideo* v) : TQZFont("Test", 16), log_(v) {}
    int32_t CharWidth(uint8_t) override { return 8; }
    int32_t TextWidth(const std::string& t) override { return 8 * int32_t(t.size()); }
    int32_t TextHeight(const std::string& t) override { return t.empty() ? 0 : 16; }
    void DrawText(const TQZRect& r, const std::string& t, uint32_t flags, TQZColour c) override
    {
        if (log_) log_->Log("text '" + t + "' " + RectText(r) + " f" + std::to_string(flags) + " " + Hex(c));
    }

private:
    RecordingVideo* log_;
};

// A framework run on the headless window back end, with a recording video
// and font on a 640 x 480 root.
class GuiFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Headless);
        FrameworkStart(QZ_EDITOR_IDENTITY);
        video = std::make_unique<RecordingVideo>();
        font = std::make_unique<RecordingFont>(video.get());
        root = TQZGUIWindow::CreateRoot({0, 0, 640, 480}, "", 0);
        root->SetVideo(video.get());
        root->SetFont(font.get());
    }
    void TearDown() override
    {
        root.reset();
        FrameworkStop();
        plat::os::ResetWindowSystem();
    }

    template <class W = TQZGUIWindow>
    W* Make(const TQZRect& r, TQZGUIWindow* parent = nullptr, int32_t id = 0, const std::string& caption = {})
    {
        return TQZGUIWindow::CreateChild<W>(parent ? parent : root.get(), r, caption, id);
    }
    void Paint()
    {
        video->log.clear();
        root->PaintTree();
    }
    // A press and release of the left button at the points, one frame each.
    void Press(TQZPoint p)
    {
        GetMouse()->AddButtonEvent(1, true, 0, 0, p);
        root->ProcessMouse();
    }
    void Release(TQZPoint p)
    {
        GetMouse()->AddButtonEvent(1, false, 0, 0, p);
        root->ProcessMouse();
    }
    void MoveTo(TQZPoint p)
    {
        GetMouse()->SetPosition(p);
        root->ProcessMouse();
    }
    void ClickAt(TQZPoint p)
    {
        MoveTo(p);
        Press(p);
        Release(p);
    }

    std::unique_ptr<RecordingVideo> video;
    std::unique_ptr<RecordingFont> font;
    std::unique_ptr<TQZGUIWindow> root;
};

// The headless Direct3D device at 160 x 120: frames drawn by a root window
// and read back pixel by pixel.
class PixelFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Headless);
        FrameworkStart(QZ_EDITOR_IDENTITY);
        video = GetVideo();
        ASSERT_NE(nullptr, video);
        ASSERT_EQ(QZRES_OK, video->SetMode(160, 120, std::make_unique<TQZHeadlessVideoWindow>(0, 0),
                                           QZWINDOW_WINDOWED, 0));
    }
    void TearDown() override
    {
        FrameworkStop();
        plat::os::ResetWindowSystem();
    }
    // One frame: cleared to black, then the tree painted.
    void Frame(TQZGUIWindow* tree)
    {
        static TQZGUIWindow* current;
        current = tree;
        video->drawProc = [](TQZVideo* v) {
            v->Clear(0xFF000000);
            current->PaintTree();
        };
        ASSERT_TRUE(video->Redraw());
    }
    static uint32_t Pixel(int32_t x, int32_t y)
    {
        std::shared_ptr<plat::softgpu::Surface> back;
        Direct3DDevice()->Device()->GetBackBuffer(0, 0, back);
        return back->PixelAt(x, y);
    }

    TQZVideo* video = nullptr;
};

}  // namespace guitest

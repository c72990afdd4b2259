// The editor's scene toolkit: building a scene from its JSON text, writing
// it back, one frame of update and input, and painting it on the headless
// device, each for a scene and one four times its size.
#include "qz7videochoice.h"
#include "osWindow.h"
#include "qz7guifactory.h"
#include "qz7video.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

// Panels of labelled rows: a label, an edit box, a button and a checkbox
// each, laid out by pixels, percent and anchors.
std::string SceneText(int panels)
{
    std::string out = R"({"Class":"Host","Title":"Root","Position":"[0,0]-[640,480]","Children":[)";
    for (int p = 0; p < panels; ++p) {
        if (p > 0) out += ",";
        const std::string n = std::to_string(p);
        out += R"({"Class":"container","Title":"Panel)" + n + R"(","BGColor":"$FF303030",)";
        out += R"("Layout":{"Layoutmode":"LayoutRelative","Position":"[)" + std::to_string(p % 4 * 25) +
               R"(,0]-[)" + std::to_string(p % 4 * 25 + 25) + R"(,100]"},"Children":[)";
        for (int r = 0; r < 5; ++r) {
            const std::string id = std::to_string(p * 100 + r * 10 + 1);
            const std::string y = std::to_string(r * 30);
            if (r > 0) out += ",";
            out += R"({"Class":"label","ID":)" + id + R"(,"Text":"Row )" + std::to_string(r) +
                   R"(","Position":"[4,)" + y + R"(]-[60,)" + y + R"(]"},)";
            out += R"({"Class":"edit","Text":"value","Layout":{"Layoutmode":"LayoutAnchor","Position":"[0,0]-[100,24]",)"
                   R"("Anchorleft":{"Anchorstyle":"anchorMax","SiblingID":)" + id + R"(,"Margin":4},)"
                   R"("Anchortop":{"Anchorstyle":"anchorMin","SiblingID":)" + id + R"(}}},)";
            out += R"({"Class":"button","Text":"Go","Script":"run","Position":"[110,)" + y + R"(]-[150,)" + y + R"(]"},)";
            out += R"({"Class":"checkbox","Value":true,"Position":"[4,)" + y + R"(]-[24,)" + y + R"(]"})";
        }
        out += "]}";
    }
    return out + "]}";
}

class Session {
public:
    Session()
    {
        plat::os::SelectWindowBackEnd(plat::os::WindowBackEnd::Headless);
        FrameworkStart(QZ_EDITOR_IDENTITY);
        // Setup the unit tests prove; not checked again in a benchmark.
        (void)GetVideo()->SetMode(640, 480, std::make_unique<TQZHeadlessVideoWindow>(0, 0), 0, 0);
    }
    ~Session()
    {
        FrameworkStop();
        plat::os::ResetWindowSystem();
    }
};

void BuildScene(benchmark::State& state)
{
    Session session;
    const std::string text = SceneText(int(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(GetGUIFactory()->BuildRoot(text));
    state.counters["windows"] = double(state.range(0)) * 21;
}

void SaveScene(benchmark::State& state)
{
    Session session;
    std::unique_ptr<TQZGUIWindow> root = GetGUIFactory()->BuildRoot(SceneText(int(state.range(0))));
    for (auto _ : state) {
        TQZKeyValue node;
        (void)root->SaveToKeyValue(&node);
        benchmark::DoNotOptimize(node.ToText(false));
    }
}

void FrameStep(benchmark::State& state)
{
    Session session;
    std::unique_ptr<TQZGUIWindow> root = GetGUIFactory()->BuildRoot(SceneText(int(state.range(0))));
    int32_t x = 0;
    for (auto _ : state) {
        GetMouse()->SetPosition({x = (x + 7) % 640, 100});
        root->ProcessMouse();
        root->UpdateTree();
        root->FlushDirtyRect();
    }
}

void PaintScene(benchmark::State& state)
{
    Session session;
    static std::unique_ptr<TQZGUIWindow> root;
    root = GetGUIFactory()->BuildRoot(SceneText(int(state.range(0))));
    TQZVideo* video = GetVideo();
    video->drawProc = [](TQZVideo* v) {
        v->Clear(0xFF000000);
        root->PaintTree();
    };
    for (auto _ : state) video->Redraw();
    root.reset();
}

BENCHMARK(BuildScene)->Arg(4)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(SaveScene)->Arg(4)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(FrameStep)->Arg(4)->Arg(16)->Unit(benchmark::kMicrosecond);
BENCHMARK(PaintScene)->Arg(4)->Arg(16)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();

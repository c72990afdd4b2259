// Scene files as the editor reads them: the JSON text is built into the
// application's host or refused, a frame of what was built is laid out and
// painted, and the saved form of a built scene builds again.
#include "fuzzsupport.h"
#include "qz7application.h"
#include "qz7guifactory.h"
#include "qz7guihost.h"
#include "qz7kvdata.h"

#include <fstream>
#include <memory>

namespace {
std::unique_ptr<TQZApplication>& AppSlot()
{
    static std::unique_ptr<TQZApplication> app;
    return app;
}

TQZApplication& App()
{
    std::unique_ptr<TQZApplication>& app = AppSlot();
    if (!app) {
        fuzz::StartQuiet();
        app = std::make_unique<TQZApplication>(QZ_EDITOR_IDENTITY, "fuzz_scene");
        (void)app->LoadScene("");  // setup: what the test checks after it shows whether it took
        app->Step();
        // Registered after the statics the application made: it goes first.
        std::atexit([] {
            AppSlot().reset();
            FrameworkStop();
        });
    }
    return *app;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TQZApplication& app = App();
    const std::string file = fuzz::Home().File("fuzz.scene");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    const bool built = app.LoadScene(file);
    fuzz::Check(app.Host() != nullptr || !built);
    if (!app.Host()) return 0;
    app.Step();

    TQZKeyValue saved;
    if (!app.Host()->SaveToKeyValue(&saved)) return 0;
    // What the editor writes only names classes it knows: it builds again.
    TQZGUIFactory* factory = GetGUIFactory();
    fuzz::Check(factory != nullptr);
    try {
        fuzz::Check(factory->BuildRoot(saved.ToText(false)) != nullptr);
    } catch (const EQZGUIFactoryError&) {
        std::abort();
    }
    return 0;
}

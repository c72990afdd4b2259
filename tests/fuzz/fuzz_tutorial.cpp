// `Tutorial.json` as the game reads it: the tutorial service over the file,
// its window on the running game's screen, every page record asked for and
// paged through as the player's buttons do, and the frame drawn.
#include "UITutorial.h"
#include "enginefuzz.h"
#include "microTutorial.h"
#include "qz7kvdata.h"

#include <algorithm>
#include <fstream>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::TEngineRun& engine = fuzz::Engine();
    const std::string file = fuzz::Home().File("Tutorial.json");
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }
    if (Settings) Settings->DeletePath("Tutorials");
    SetSetting("Tutorial.Enabled", "true");
    TTutorialService tutorial(file, [](const std::string&) {});
    const TQZKeyValue* tree = nullptr;
    TQZKeyValue parsed;
    if (parsed.ParseText(std::string(reinterpret_cast<const char*>(data), size)) && parsed.IsArray()) tree = &parsed;

    // Each record as a trigger opens it, then the window's buttons.
    const int32_t records = tree ? std::min<int32_t>(tree->ChildCount(), 6) : 0;
    for (int32_t i = 0; i < records; ++i) {
        const TQZKeyValue* r = tree->GetChild(i);
        const std::string id = r->GetString("ID");
        tutorial.Execute("PAGEIFNEW " + id + " " + std::to_string(r->GetInt("Page")));
        for (const char* button : {"NEXT", "PREV", "SETVIEWED"}) tutorial.Execute(button);
        const std::string next = tutorial.Window() ? tutorial.Window()->Page().nextPage : std::string();
        if (!next.empty()) tutorial.Execute("PAGE " + next);
        tutorial.Execute("OK");
    }
    tutorial.Execute("PAGE welcome 1");
    engine.Step();
    if (StateEngine) StateEngine->Render();
    tutorial.Execute("HIDE");
    return 0;
}

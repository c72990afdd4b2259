// The cardset editor program: registers the managers it links, runs the
// editor's frames until its window closes, and frees everything in order.
#include "CardsetEditor.h"
#include "coreManager.h"
#include "mgrLoaders.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "mgrTimers.h"

int main()
{
    RegisterSettingsManager();
    RegisterTimersManager();
    RegisterSteamManager();
    RegisterLoadersManager();
    RegisterEditorResourcesManager();
    int32_t code = 0;
    {
        TEditorApp app;
        app.Init();
        code = app.ExitCode;
        // About sixty frames a second; the wait lets go of the processor.
        while (!app.Terminated) {
            app.Step();
            WaitForQueuedWork(15);
        }
        app.Shutdown();
        FreeManagers();
    }
    FrameworkStop();
    return code;
}

// The editor's tests that run the whole application: the managers it
// needs, the generated assets of the runtime folder, a scratch per-user
// folder, and file dialogs and warnings that the test answers and records.
#pragma once

#include "CardsetEditor.h"
#include "coreManager.h"
#include "mgrLoaders.h"
#include "mgrResources.h"
#include "mgrSettings.h"
#include "mgrSteam.h"
#include "mgrTimers.h"
#include "qz7guibutton.h"
#include "qz7guidialog.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace editortest {

class EditorTest : public ::testing::Test {
protected:
    vqtest::TempDir home;
    vqtest::ScopedEnv env{"VANTOREL_DATA_HOME", home.Path()};
    std::filesystem::path old = std::filesystem::current_path();
    std::unique_ptr<TEditorApp> app;
    std::vector<std::string> warnings;
    std::vector<std::string> asked;
    std::string answer;

    void SetUp() override
    {
        std::filesystem::current_path(VQ_RUNTIME_DIR);
        ResetManagerRegistry();
        RegisterSettingsManager();
        RegisterTimersManager();
        RegisterSteamManager();
        RegisterLoadersManager();
        RegisterEditorResourcesManager();
        app = std::make_unique<TEditorApp>();
        app->onWarning = [this](const std::string& w) { warnings.push_back(w); };
        app->fileDialog = [this](const std::string& title, bool) {
            asked.push_back(title);
            return answer;
        };
        app->Init();
    }
    void TearDown() override
    {
        app.reset();
        FreeManagers();
        FrameworkStop();
        ResetManagerRegistry();
        std::filesystem::current_path(old);
    }
    std::string Field(const std::string& title) const
    {
        TQZGUIWindow* w = app->FindWidget(title);
        return w ? w->Text() : "<missing>";
    }
    void SetField(TQZGUIWindow* within, const std::string& title, const std::string& text)
    {
        TQZGUIWindow* w = FindByTitleDeep(within, title);
        ASSERT_NE(nullptr, w) << title;
        w->SetText(text);
    }
    // A new empty cardset of the size through the dialog.
    void NewCardset(int32_t w, int32_t h, bool overlay = false)
    {
        app->onDialogFrame = [&](TQZGUIDialog* d) {
            SetField(d, "editWidth", std::to_string(w));
            SetField(d, "editHeight", std::to_string(h));
            if (auto* box = dynamic_cast<TQZGUICheckbox*>(FindByTitleDeep(d, "checkboxOverlay"))) box->SetValue(overlay);
            app->Step();  // a frame to check the fields
            if (d->OKButton()->Enabled()) d->OKButton()->Click();
        };
        app->OnCommand(EDCMD_NEW);
        app->onDialogFrame = nullptr;
    }
};

}  // namespace editortest

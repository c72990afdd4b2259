// Open and save file dialogs: the desktop's own dialog program (zenity, or
// kdialog where zenity is missing) started directly, never through a
// shell, its answer read from its output. Names have no length limit.
// Answers can be scripted for tests: a queue the test fills, or a file of
// answers named by an environment variable (one answer a line, an empty
// line cancels), so a test can drive the real program. Headless, without
// scripted answers, every dialog is cancelled and nothing is started.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace plat::os {

// Names a file of answers; each dialog of the process takes the next line.
inline constexpr const char* kDialogAnswersVariable = "VANTOREL_DIALOG_ANSWERS";

struct FileDialogRequest {
    std::string title;        // empty: "Open" or "Save As"
    std::string initialName;  // a file name or path the dialog starts at
    bool save = false;
    std::string filterName = "All Files";
    std::string filterPattern = "*";
    bool operator==(const FileDialogRequest&) const = default;
};

enum class DialogProgram { None, Zenity, KDialog };

// The chosen path, or nothing when the dialog was cancelled or no dialog
// program could be started.
[[nodiscard]] std::optional<std::string> ShowFileDialog(const FileDialogRequest& request);

// Tests: answers taken before anything else, oldest first (nothing =
// Cancel); and every request shown, oldest first (the record empties).
void PushFileDialogAnswer(std::optional<std::string> answer);
void ClearFileDialogAnswers();
std::vector<FileDialogRequest> TakeFileDialogRequests();

// The program found on the search path: zenity first, then kdialog.
DialogProgram FindDialogProgram();
// Tests: a program of the given kind at a path (an empty path restores the
// search), started even while headless when asked.
void SetDialogProgram(DialogProgram kind, const std::string& path, bool startWhileHeadless);
// The arguments given to a dialog program for a request (argv[1..]).
std::vector<std::string> DialogArguments(DialogProgram kind, const FileDialogRequest& request);

}  // namespace plat::os

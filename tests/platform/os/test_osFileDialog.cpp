// File dialogs: scripted answers from the queue and from a file of answers,
// headless refusal to start anything, and a stand-in dialog program that
// shows the arguments arrive one by one, untouched by any shell.
#include "osFileDialog.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace os = plat::os;

namespace {

class FileDialogTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        os::ClearFileDialogAnswers();
        os::TakeFileDialogRequests();
        os::SetDialogProgram(os::DialogProgram::None, "", false);
    }
    // An executable stand-in for the dialog program: writes each argument
    // on a line of args.txt, then prints the answer and exits with the code.
    std::string FakeProgram(const std::string& answer, int exitCode)
    {
        vqtest::WriteFile(dir.File("answer.txt"), answer);
        const std::string script = dir.File("fakedialog");
        vqtest::WriteFile(script, "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" +
                                      dir.File("args.txt") + "'\ncat '" + dir.File("answer.txt") + "'\nexit " +
                                      std::to_string(exitCode) + "\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
        return script;
    }
    std::vector<std::string> ArgsSeen()
    {
        std::ifstream in(dir.File("args.txt"));
        std::vector<std::string> out;
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    }

    vqtest::TempDir dir;
};

TEST_F(FileDialogTest, QueuedAnswersComeFirstAndHaveNoLengthLimit)
{
    const std::string longPath = "/tmp/" + std::string(600, 'n') + "/deck one.cards";
    os::PushFileDialogAnswer(longPath);
    os::PushFileDialogAnswer(std::nullopt);
    os::FileDialogRequest open{"Open Cardset", "Basic.cards", false};
    os::FileDialogRequest save{"", "", true};
    EXPECT_EQ(longPath, os::ShowFileDialog(open));
    EXPECT_EQ(std::nullopt, os::ShowFileDialog(save));
    EXPECT_EQ((std::vector<os::FileDialogRequest>{open, save}), os::TakeFileDialogRequests());
}

TEST_F(FileDialogTest, AnswersFileIsTakenLineByLine)
{
    vqtest::WriteFile(dir.File("answers.txt"), "/a/first.cards\r\n\n/b/third deck.cards\n");
    vqtest::ScopedEnv answers(os::kDialogAnswersVariable, dir.File("answers.txt"));
    EXPECT_EQ("/a/first.cards", os::ShowFileDialog({}));
    EXPECT_EQ(std::nullopt, os::ShowFileDialog({})) << "an empty line cancels";
    EXPECT_EQ("/b/third deck.cards", os::ShowFileDialog({}));
    EXPECT_EQ(std::nullopt, os::ShowFileDialog({})) << "past the last line every dialog is cancelled";
}

TEST_F(FileDialogTest, HeadlessStartsNoProgram)
{
    vqtest::ScopedEnv headless("VQ_TEST", "1");
    os::SetDialogProgram(os::DialogProgram::Zenity, FakeProgram("/x.cards\n", 0), false);
    EXPECT_EQ(std::nullopt, os::ShowFileDialog({}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("args.txt")));
}

TEST_F(FileDialogTest, ProgramGetsEachArgumentWholeAndItsAnswerIsTheName)
{
    const std::string tricky = "Save \"it\"; $(touch " + dir.File("pwned") + ") `id` *";
    const std::string answer = "/home/u/" + std::string(400, 'x') + "/my deck; 'quoted'.cards";
    os::SetDialogProgram(os::DialogProgram::Zenity, FakeProgram(answer + "\n", 0), true);
    os::FileDialogRequest r{tricky, "/home/u/start here.cards", true};
    EXPECT_EQ(answer, os::ShowFileDialog(r));
    EXPECT_EQ(os::DialogArguments(os::DialogProgram::Zenity, r), ArgsSeen());
    EXPECT_FALSE(std::filesystem::exists(dir.File("pwned")));

    os::SetDialogProgram(os::DialogProgram::KDialog, FakeProgram("", 1), true);
    EXPECT_EQ(std::nullopt, os::ShowFileDialog(r)) << "a cancelled dialog exits with 1";
    EXPECT_EQ(os::DialogArguments(os::DialogProgram::KDialog, r), ArgsSeen());

    os::SetDialogProgram(os::DialogProgram::Zenity, dir.File("no-such-program"), true);
    EXPECT_EQ(std::nullopt, os::ShowFileDialog(r));
}

TEST_F(FileDialogTest, ArgumentsOfBothPrograms)
{
    os::FileDialogRequest open{"", "", false};
    os::FileDialogRequest save{"Save Cardset", "/d/x.cards", true};
    EXPECT_EQ((std::vector<std::string>{"--file-selection", "--title=Open", "--file-filter=All Files | *"}),
              os::DialogArguments(os::DialogProgram::Zenity, open));
    EXPECT_EQ((std::vector<std::string>{"--file-selection", "--title=Save Cardset", "--save", "--confirm-overwrite",
                                        "--filename=/d/x.cards", "--file-filter=All Files | *"}),
              os::DialogArguments(os::DialogProgram::Zenity, save));
    EXPECT_EQ((std::vector<std::string>{"--title", "Open", "--getopenfilename", ".", "All Files (*)"}),
              os::DialogArguments(os::DialogProgram::KDialog, open));
    EXPECT_EQ((std::vector<std::string>{"--title", "Save Cardset", "--getsavefilename", "/d/x.cards", "All Files (*)"}),
              os::DialogArguments(os::DialogProgram::KDialog, save));
}

}  // namespace

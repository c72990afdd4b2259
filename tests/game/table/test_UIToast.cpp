#include "UIToast.h"

#include "UIButton.h"
#include "UIRichContent.h"

#include <gtest/gtest.h>

namespace {

class TAnswers : public TQZClass {
public:
    void OnAnswer(const std::string& tag, int32_t answer) { heard.push_back(tag + " " + std::to_string(answer)); }
    std::vector<std::string> heard;
};

class ToastTest : public ::testing::Test {
protected:
    TGUIWindowPtr<TGUIWindow> root = NewRootWindow<TGUIWindow>(TQZRect{0, 0, 1280, 800}, nullptr, 0);
    TUIToast* toast = NewWindow<TUIToast>(root.get());

    // A frame after the fade clock moved on.
    void After(uint32_t ms)
    {
        toast->AdvanceFade(ms);
        root->UpdateTree();
    }
    std::string TextOf(int32_t item) const
    {
        auto* t = dynamic_cast<TRichTextItem*>(toast->View()->Content()->Item(item));
        return t ? t->text : "(not text)";
    }
};

TEST_F(ToastTest, ANoticeOfLowerKindWaitsUntilTheShowingOneFadesOut)
{
    EXPECT_FALSE(toast->IsVisible());
    toast->ShowText("first");
    toast->ShowText("second");  // the same kind replaces at once
    EXPECT_EQ("second", toast->Current().text);
    EXPECT_TRUE(toast->Queue().empty());

    toast->ShowPlayerJoined("Cleo");
    toast->ShowText("waits");
    EXPECT_EQ(4, toast->Current().kind);
    ASSERT_EQ(1u, toast->Queue().size());
    After(4000);
    EXPECT_EQ(4, toast->Current().kind) << "still within its time";

    After(1001);  // past 5000 ms: it starts fading and the waiting one shows
    EXPECT_EQ("waits", toast->Current().text);
    EXPECT_TRUE(toast->Queue().empty());
    EXPECT_TRUE(toast->Shown());
    EXPECT_TRUE(toast->IsVisible());

    After(5001);
    EXPECT_TRUE(toast->Hiding());
    EXPECT_EQ(0, toast->Current().kind);
    After(2000);  // faded out
    EXPECT_FALSE(toast->IsVisible());
    EXPECT_TRUE(toast->Current().text.empty());
}

TEST_F(ToastTest, ANoticeRisesAtTheBottomRightAsItFadesIn)
{
    toast->ShowText("hello");
    root->UpdateTree();
    EXPECT_EQ((TQZRect{960, 684, 1260, 844}), toast->GetRect());  // alpha 0: 64 pixels low
    After(2000);
    EXPECT_EQ((TQZRect{960, 620, 1260, 780}), toast->GetRect());
}

TEST_F(ToastTest, MarkupBecomesRulesBreaksAndHighlightedNames)
{
    toast->ShowPlayerJoined("Cleo");
    TRichContent* content = toast->View()->Content();
    ASSERT_EQ(5, content->ItemCount());
    EXPECT_EQ("New player connected:", TextOf(0));
    EXPECT_EQ(0xFF000000u, content->Item(0)->colour);
    auto* rule = dynamic_cast<TRichLineBreakItem*>(content->Item(1));
    ASSERT_NE(nullptr, rule);
    EXPECT_TRUE(rule->rule);
    EXPECT_EQ("Cleo", TextOf(2));
    EXPECT_EQ(0xFFFFFF00u, content->Item(2)->colour);
    auto* lineBreak = dynamic_cast<TRichLineBreakItem*>(content->Item(3));
    ASSERT_NE(nullptr, lineBreak);
    EXPECT_FALSE(lineBreak->rule);
    EXPECT_EQ("has joined the game.", TextOf(4));

    toast->ShowPlayerLeft("Dan");
    EXPECT_EQ("Player has disconnected:<HR>*Dan*", toast->Current().text);
    toast->ShowNotice("a <b>bold</b> * and *", 4, false, 100);  // unknown tags show nothing; a lone star is text
    EXPECT_EQ(3, content->ItemCount());
    EXPECT_EQ(" * and *", TextOf(2));
}

TEST_F(ToastTest, AQuestionIsAnsweredOnceAndThenFadesOut)
{
    TAnswers answers;
    struct Case {
        int32_t button;
        std::vector<std::string> heard;
    };
    for (const Case& c : {Case{UITOAST_ACCEPT, {"invite-7 1"}}, Case{UITOAST_IGNORE, {}}}) {
        answers.heard.clear();
        TToastContent question;
        question.text = "Join *Cleo*?";
        question.kind = 2;
        question.duration = 30000;
        question.isQuestion = true;
        question.onAnswer = MakeMethod<&TAnswers::OnAnswer>(&answers);
        question.tag = "invite-7";
        toast->ShowContent(question);
        EXPECT_TRUE(toast->AcceptButton()->IsVisible());
        EXPECT_TRUE(toast->IgnoreButton()->IsVisible());
        EXPECT_EQ(80, toast->View()->GetHeight());  // room for the buttons
        root->UpdateTree();
        const TQZRect accept = toast->AcceptButton()->GetScreenRect();
        EXPECT_EQ(toast->AcceptButton(), root->FindWindowAt({accept.left + 5, accept.top + 5}));

        TUIButton* button = c.button == UITOAST_ACCEPT ? toast->AcceptButton() : toast->IgnoreButton();
        button->Click();
        button->Click();  // a second click before the notice goes
        root->UpdateTree();
        EXPECT_EQ(c.heard, answers.heard);
        After(2);
        EXPECT_TRUE(toast->Hiding()) << "the answer ends the notice";
        After(2);
        EXPECT_FALSE(toast->IsVisible());
    }

    toast->ShowText("plain");
    EXPECT_FALSE(toast->AcceptButton()->IsVisible());
    EXPECT_EQ(140, toast->View()->GetHeight());
    const TQZRect shown = toast->GetScreenRect();
    EXPECT_EQ(root.get(), root->FindWindowAt({shown.left + 150, shown.top + 80})) << "a plain notice lets the pointer through";
}

}  // namespace

// Input played into the editor's window the way a quick user gives it: keys
// and clicks that reach the window system within one frame are taken in
// the order they came, so typed text stays in the field it was typed into
// and a button clicked right after sees it.
#include "clCardGraphics.h"
#include "editorfixture.h"
#include "ioLoader.h"
#include "mgrLoaders.h"
#include "osKeys.h"
#include "osWindow.h"
#include "qz7window.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
namespace os = plat::os;

class EditorInputTest : public editortest::EditorTest {
protected:
    void SetUp() override
    {
        EditorTest::SetUp();
        ASSERT_NE(nullptr, app->OutputWindow());
        window = app->OutputWindow()->Handle();
        for (const char* field : {"editCardTitle", "editCardAuthor", "editCardComments"})
            app->FindWidget(field)->SetText("");
    }
    TQZPoint Centre(const std::string& title) const
    {
        const TQZRect r = app->FindWidget(title)->GetScreenRect();
        return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }
    void Click(const std::string& title) const
    {
        const TQZPoint p = Centre(title);
        os::InjectInput(os::MakeInput(os::InputKind::MouseMove, window, p.x, p.y));
        os::InjectInput(os::ButtonInput(true, window, 1, p.x, p.y));
        os::InjectInput(os::ButtonInput(false, window, 1, p.x, p.y));
    }
    // Lower-case letters only: each is its key pressed and released.
    void Type(const std::string& letters) const
    {
        for (char c : letters) {
            const auto key = uint8_t(os::kVkA + (c - 'a'));
            os::InjectInput(os::KeyInput(true, window, key));
            os::InjectInput(os::KeyInput(false, window, key));
        }
    }

    os::WindowHandle window = 0;
};

TEST_F(EditorInputTest, KeysTypedBeforeAClickInTheSameFrameStayInTheirField)
{
    Click("editCardTitle");
    app->Step();
    // One frame: letters, then a click on the next field, then more letters.
    Type("harbour");
    Click("editCardAuthor");
    Type("ann");
    app->Step();
    EXPECT_EQ("harbour", Field("editCardTitle"));
    EXPECT_EQ("ann", Field("editCardAuthor"));

    // One frame: letters, then Save: the command sees the whole text.
    answer = (fs::path(home.Path()) / "typed.cards").string();
    Type("e");
    Click("SaveButton");
    app->Step();
    ASSERT_EQ(1u, asked.size()) << "the save ran";
    std::unique_ptr<TCardGraphics> back = Loaders->LoadCardset(answer);
    ASSERT_NE(nullptr, back);
    EXPECT_EQ("harbour", back->Title);
    EXPECT_EQ("anne", back->Author);
    EXPECT_EQ("", back->Comments);
}

}  // namespace

#include <gtest/gtest.h>

#include <stdexcept>

#include "agTutorials.h"
#include "agtestutil.h"
#include "qz7kvdata.h"

namespace {

std::string Record(const std::string& id, int page, int total, const std::string& next, const std::string& image,
                   const std::string& content = "Some text")
{
    return "{\"ID\": \"" + id + "\", \"Page\": " + std::to_string(page) + ", \"TotalPages\": " +
           std::to_string(total) + ", \"Title\": \"T\", \"Caption\": \"C\", \"Image\": \"" + image +
           "\", \"NextPage\": \"" + next + "\", \"Content\": \"" + content + "\"}";
}

}  // namespace

TEST(AssetTutorial, GeneratedPagesCoverEveryTutorialTheGameTriggers)
{
    std::vector<uint8_t> bytes = agtest::ReadRuntimeFile("Assets/Tutorials/Tutorial.json");
    ASSERT_FALSE(bytes.empty());
    TQZKeyValue root;
    ASSERT_TRUE(root.ParseText(std::string(bytes.begin(), bytes.end())));
    for (const char* id : {"welcome", "whatsnew", "bidding", "misere", "kitty", "playing"}) {
        TQZKeyValue* first = root.FindChildWhere(std::string("ID=\"") + id + "\",Page=1", true);
        ASSERT_NE(first, nullptr) << id;
        EXPECT_FALSE(first->GetString("Content").empty()) << id;
        const std::string image = first->GetString("Image");
        ASSERT_FALSE(image.empty()) << id;
        plat::imaging::Image picture = agtest::Decode(agtest::ReadRuntimeFile("Assets/Tutorials/" + image));
        EXPECT_EQ(picture.width, 128) << image;
        EXPECT_EQ(picture.height, 128) << image;
    }
}

TEST(AssetTutorial, TheFrameHasAPictureWindowAndALightCaptionPlate)
{
    plat::imaging::Image frame = agtest::Decode(agtest::ReadRuntimeFile("Assets/Tutorials/Tutorial_Frame.png"));
    ASSERT_EQ(frame.width, 160);
    ASSERT_EQ(frame.height, 190);
    auto luma = [&](int x, int y) {
        const uint32_t p = frame.Pixel(x, y);
        return (((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF)) / 3;
    };
    EXPECT_EQ(agtest::Alpha(frame, 8, 100), 0xFFu) << "the moulding is opaque";
    EXPECT_GT(luma(80, 165), 200u) << "black caption text needs a light plate";
    EXPECT_LT(luma(80, 80), 100u) << "the picture window is dark under its picture";
}

TEST(AssetTutorial, SourcesThatTheWindowCouldNotShowAreRefused)
{
    const std::string good = "[" + Record("a", 1, 2, "a 2", "Tutorial_Kitty.png") + "," + Record("a", 2, 2, "", "") + "]";
    EXPECT_NO_THROW(ag::TutorialFile(good));
    const std::string bad[] = {
        "{\"ID\": \"a\"}",                                                              // not an array
        "[" + Record("a", 1, 2, "", "") + "]",                                         // page 2 missing
        "[" + Record("a", 1, 1, "a 2", "") + "]",                                      // next page missing
        "[" + Record("a", 1, 1, "", "Nothing.png") + "]",                              // picture not drawn
        "[" + Record("a", 1, 1, "", "", "") + "]",                                     // no content
        "[" + Record("a", 1, 1, "", "", "x [y] z") + "]",                              // the reader cannot take it
        "[" + Record("a", 1, 1, "", "") + "," + Record("a", 1, 1, "", "") + "]",       // a page twice
    };
    for (const std::string& text : bad) EXPECT_THROW(ag::TutorialFile(text), std::runtime_error) << text;
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>

#include "testutil.h"

namespace {

std::map<std::string, std::vector<uint8_t>> ReadTree(const std::string& root)
{
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        files[std::filesystem::relative(e.path(), root).string()] =
            std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    return files;
}

int Generate(const std::string& out)
{
    std::string command = std::string("\"") + VQ_ASSETGEN + "\" --source \"" + VQ_ASSET_SOURCE_DIR + "\" --out \"" +
                          out + "\" > /dev/null";
    return std::system(command.c_str());
}

}  // namespace

TEST(AssetGenerator, TwoRunsWriteTheSameBytes)
{
    vqtest::TempDir a, b;
    ASSERT_EQ(Generate(a.Path()), 0);
    ASSERT_EQ(Generate(b.Path()), 0);
    auto first = ReadTree(a.Path()), second = ReadTree(b.Path());
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(first.size(), second.size());
    for (const auto& [path, bytes] : first) {
        auto other = second.find(path);
        ASSERT_NE(other, second.end()) << path;
        EXPECT_TRUE(bytes == other->second) << path << " differs between runs";
    }
}

TEST(AssetGenerator, MissingSourcesFailWithoutWriting)
{
    vqtest::TempDir source, out;
    std::string command = std::string("\"") + VQ_ASSETGEN + "\" --source \"" + source.Path() + "\" --out \"" +
                          out.Path() + "\" 2> /dev/null";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_TRUE(std::filesystem::is_empty(out.Path())) << "nothing is written when a source is missing";
}

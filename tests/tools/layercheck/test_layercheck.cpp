// The layer check on small trees: a clean one passes; a library that uses a
// higher layer, in the build or in the table, fails; so do modules that
// include each other, two or more, within a library or across two, and a
// table that names such a pair as an exception.
#include "testutil.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>

namespace {

struct TTree {
    std::map<std::string, std::string> files;  // path -> text
    std::string layers;                        // layers.txt
    std::string table;                         // the layer table
};

struct TResult {
    int status = -1;
    std::string output;
};

TResult RunCheck(const TTree& tree)
{
    vqtest::TempDir dir;
    for (const auto& [path, text] : tree.files) {
        std::filesystem::create_directories(std::filesystem::path(dir.File(path)).parent_path());
        std::ofstream(dir.File(path)) << text;
    }
    std::ofstream(dir.File("layers.txt")) << tree.layers;
    std::ofstream(dir.File("layers.md")) << tree.table;
    const std::string command = std::string(VQ_LAYERCHECK) + " " + dir.Path() + " " + dir.File("layers.txt") + " " +
                                dir.File("layers.md") + " 2>&1";
    TResult result;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return result;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe)) result.output += buffer;
    const int status = ::pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

// A platform library and a game library above it, each one module.
TTree CleanTree()
{
    TTree t;
    t.files["platform/low/lowThing.h"] = "#pragma once\n";
    t.files["platform/low/lowThing.cpp"] = "#include \"lowThing.h\"\n";
    t.files["game/high/highThing.h"] = "#pragma once\n#include \"lowThing.h\"\n";
    t.files["game/high/highThing.cpp"] = "#include \"highThing.h\"\n";
    t.layers = "library|vq_low|platform/low|\nlibrary|vq_high|game/high|vq_low\n";
    t.table = "| `vq_low` | `platform/low` | — |\n| `vq_high` | `game/high` | `vq_low` |\n";
    return t;
}

TEST(LayerCheck, ACleanTreePasses)
{
    TResult r = RunCheck(CleanTree());
    EXPECT_EQ(0, r.status) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("0 problems")) << r.output;
}

TEST(LayerCheck, APlatformLibraryThatUsesTheGameFails)
{
    TTree t;
    t.files["platform/low/lowThing.h"] = "#pragma once\n#include \"highThing.h\"\n";
    t.files["game/high/highThing.h"] = "#pragma once\n";
    t.layers = "library|vq_low|platform/low|vq_high\nlibrary|vq_high|game/high|\n";
    t.table = "| `vq_low` | `platform/low` | `vq_high` |\n| `vq_high` | `game/high` | — |\n";
    TResult r = RunCheck(t);
    EXPECT_EQ(1, r.status) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("vq_low (platform/low) uses vq_high (game/high), a higher layer"))
        << r.output;
    EXPECT_NE(std::string::npos, r.output.find("the layer table lets vq_low")) << r.output;
}

TEST(LayerCheck, TwoModulesThatIncludeEachOtherFail)
{
    TTree t = CleanTree();
    t.files["game/high/highOther.h"] = "#pragma once\n";
    t.files["game/high/highOther.cpp"] = "#include \"highOther.h\"\n#include \"highThing.h\"\n";
    t.files["game/high/highThing.cpp"] = "#include \"highThing.h\"\n#include \"highOther.h\"\n";
    TResult r = RunCheck(t);
    EXPECT_EQ(1, r.status) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("modules include each other in a circle: highOther highThing"))
        << r.output;

    // Named in the table with a reason, the pair is still refused, and so is
    // the table's exception.
    t.table += "\n- `highThing` and `highOther` include each other: a reason.\n";
    r = RunCheck(t);
    EXPECT_EQ(1, r.status) << r.output;
    EXPECT_NE(std::string::npos, r.output.find("modules include each other in a circle: highOther highThing"))
        << r.output;
    EXPECT_NE(std::string::npos, r.output.find("names highThing and highOther as modules that may include each other"))
        << r.output;
}

TEST(LayerCheck, ModulesInACircleFail)
{
    struct TCase {
        const char* name;
        std::map<std::string, std::string> files;  // added to the clean tree
        const char* circle;
    };
    const TCase cases[] = {
        // Through a header only: the source of each module is not needed.
        {"two headers",
         {{"game/high/highOther.h", "#pragma once\n#include \"highThing.h\"\n"},
          {"game/high/highThing.h", "#pragma once\n#include \"lowThing.h\"\n#include \"highOther.h\"\n"}},
         "highOther highThing"},
        {"three round",
         {{"game/high/highA.h", "#pragma once\n"},
          {"game/high/highA.cpp", "#include \"highB.h\"\n"},
          {"game/high/highB.h", "#pragma once\n"},
          {"game/high/highB.cpp", "#include \"highC.h\"\n"},
          {"game/high/highC.h", "#pragma once\n"},
          {"game/high/highC.cpp", "#include \"highA.h\"\n"}},
         "highA highB highC"},
        // A low module that reaches up into a library above it, which uses it.
        {"across libraries",
         {{"platform/low/lowThing.cpp", "#include \"lowThing.h\"\n#include \"highThing.h\"\n"}},
         "highThing lowThing"},
    };
    for (const TCase& c : cases) {
        TTree t = CleanTree();
        for (const auto& [path, text] : c.files) t.files[path] = text;
        TResult r = RunCheck(t);
        EXPECT_EQ(1, r.status) << c.name << "\n" << r.output;
        EXPECT_NE(std::string::npos, r.output.find(std::string("modules include each other in a circle: ") + c.circle))
            << c.name << "\n" << r.output;
    }
}

}  // namespace

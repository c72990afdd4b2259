// The asset generator. Usage:
//   assetgen --source <assets folder> --out <runtime folder>
//            [--expect <comma-separated relative paths>] [--contact-sheet <png>] [--verbose]
// Makes every file the game reads from the text sources and from what the
// system installs (typefaces), the same bytes for the same inputs. With
// --expect it fails when the files it makes differ from the list the build
// knows; --contact-sheet also writes one picture of cards and textures.
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <set>
#include <string>

#include "agContactSheet.h"
#include "agGenerate.h"

namespace {

int Usage()
{
    std::fprintf(stderr,
                 "usage: assetgen --source DIR --out DIR [--expect LIST] [--contact-sheet FILE] [--verbose]\n");
    return 2;
}

std::set<std::string> SplitList(const std::string& list)
{
    std::set<std::string> items;
    size_t start = 0;
    while (start < list.size()) {
        size_t end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        if (end > start) items.insert(list.substr(start, end - start));
        start = end + 1;
    }
    return items;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string source, out, expect, sheet;
    bool verbose = false, haveExpect = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto next = [&](std::string& into) {
            if (i + 1 >= argc) return false;
            into = argv[++i];
            return true;
        };
        if (a == "--source" && next(source)) continue;
        if (a == "--out" && next(out)) continue;
        if (a == "--expect" && next(expect)) {
            haveExpect = true;
            continue;
        }
        if (a == "--contact-sheet" && next(sheet)) continue;
        if (a == "--verbose") {
            verbose = true;
            continue;
        }
        return Usage();
    }
    if (source.empty() || out.empty()) return Usage();
    try {
        auto start = std::chrono::steady_clock::now();
        ag::GenerateReport report;
        std::vector<ag::AssetFile> files = ag::GenerateAssets(source, &report);
        if (haveExpect) {
            std::set<std::string> made, wanted = SplitList(expect);
            for (const ag::AssetFile& f : files) made.insert(f.path);
            if (made != wanted) {
                for (const std::string& m : made)
                    if (!wanted.count(m)) std::fprintf(stderr, "assetgen: makes %s, which the build does not list\n", m.c_str());
                for (const std::string& w : wanted)
                    if (!made.count(w)) std::fprintf(stderr, "assetgen: the build lists %s, which is not made\n", w.c_str());
                return 1;
            }
        }
        ag::WriteAssets(files, out);
        if (!sheet.empty()) {
            std::vector<uint8_t> png = ag::ContactSheetPng(files);
            std::ofstream(sheet, std::ios::binary).write(reinterpret_cast<const char*>(png.data()), std::streamsize(png.size()));
        }
        double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        size_t bytes = 0;
        for (const ag::AssetFile& f : files) bytes += f.bytes.size();
        std::printf("assetgen: %zu files, %.1f MB in %.2f s\n", files.size(), double(bytes) / 1e6, seconds);
        if (verbose) {
            for (const ag::StepTime& s : report.steps) std::printf("  %-14s %.3f s\n", s.step.c_str(), s.seconds);
            for (const std::string& n : report.notes) std::printf("  %s\n", n.c_str());
        }
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "assetgen: %s\n", e.what());
        return 1;
    }
}

// Every file the game reads, made in memory: runs each maker and collects
// the files under their paths relative to the runtime folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ag {

struct AssetFile {
    std::string path;  // relative, with '/'
    std::vector<uint8_t> bytes;
};

struct StepTime {
    std::string step;
    double seconds = 0;
};

struct GenerateReport {
    std::vector<StepTime> steps;
    std::vector<std::string> notes;  // sound levels and the like
};

// sourceDir holds the text sources (Misc/Default.cfg, Config/*.txt).
// Throws std::runtime_error with the reason when something cannot be made.
std::vector<AssetFile> GenerateAssets(const std::string& sourceDir, GenerateReport* report = nullptr);

// Writes the files under root, making folders as needed.
void WriteAssets(const std::vector<AssetFile>& files, const std::string& root);

}  // namespace ag

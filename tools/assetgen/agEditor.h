// The cardset editor's files: its four scene files, the overlay cardset of
// index artwork (magenta marks what is transparent), the white card, the
// cameo sample picture and the small font of the card view.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ag {

struct EditorFile {
    std::string path;  // relative to the runtime folder
    std::vector<uint8_t> bytes;
};

// The scene texts, by file name in Assets/Editor/Scenes/.
std::string EditorScene(const std::string& name);
const std::vector<std::string>& EditorSceneNames();
// One overlay card (0..52): its corner indices on the key colour.
std::vector<uint8_t> OverlayCardPng(int32_t card);
std::vector<uint8_t> OverlayCardsetFile();
std::vector<uint8_t> WhiteCardPng();
std::vector<uint8_t> CameoPreviewPng();
std::vector<uint8_t> EditorFont();
constexpr int32_t OVERLAY_WIDTH = 192, OVERLAY_HEIGHT = 256;

}  // namespace ag

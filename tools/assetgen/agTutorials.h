// The tutorial: "Tutorial.json" from its source after checks, the frame the
// tutorial window draws a page picture in, and the page pictures.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ag {

struct TutorialPicture {
    const char* file;  // in Assets/Tutorials
    int32_t kind;
};
const std::vector<TutorialPicture>& TutorialPictures();

// The source as it stands once every page record is whole: the keys the
// window reads, pages 1..TotalPages of each id, next pages that exist,
// pictures the generator draws, and no text the reader cannot take (square
// brackets or braces inside strings). Throws with the reason otherwise.
std::vector<uint8_t> TutorialFile(const std::string& sourceText);

// 160 x 190: a gilt frame around a 128 x 128 window at (14, 17) and a light
// caption plate at (18, 147)-(142, 182).
std::vector<uint8_t> TutorialFramePng();
// 128 x 128.
std::vector<uint8_t> TutorialPicturePng(const TutorialPicture& picture);

}  // namespace ag

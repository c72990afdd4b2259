#include "agCardsetFile.h"

#include <stdexcept>

#include "ioCardset.h"

namespace ag {

std::vector<uint8_t> CardsetFile(const CardsetStyle& style, const std::vector<std::vector<uint8_t>>& pictures)
{
    TCardsFileContent content;
    if (pictures.size() != content.images.size()) throw std::runtime_error("a cardset needs 53 pictures");
    content.width = style.width;
    content.height = style.height;
    // The indices stand in the top-left corner: the left card of a fan is
    // drawn at the bottom so every index stays in sight.
    content.alignLeft = true;
    content.title = style.title;
    content.author = style.author;
    content.comments = style.comments;
    for (size_t i = 0; i < pictures.size(); ++i) content.images[i] = pictures[i];
    std::vector<uint8_t> file;
    if (!BuildCardsFile(content, file)) throw std::runtime_error("cannot write " + style.file);
    return file;
}

}  // namespace ag

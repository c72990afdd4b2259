#include "qz7steamimages.h"

const TQZSteamImage* TQZSteamCapImages::Fetch(int32_t id)
{
    if (const TQZSteamImage* kept = Find(id)) return kept;
    TQZSteamImage image;
    image.id = id;
    if (id <= 0 || !Api() || !Api()->ImageSize(id, image.width, image.height) || !Api()->ImageRGBA(id, image.rgba))
        return nullptr;
    if (image.rgba.size() != size_t(image.width) * image.height * 4) {
        Log("Image " + std::to_string(id) + " has the wrong size - ignored");
        return nullptr;
    }
    return &(images_[id] = std::move(image));
}

const TQZSteamImage* TQZSteamCapImages::Find(int32_t id) const
{
    auto it = images_.find(id);
    return it == images_.end() ? nullptr : &it->second;
}

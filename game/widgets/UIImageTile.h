// One thumbnail of the image selector: a framed picture with its caption.
#pragma once

#include "UIContainer.h"

#include <string>

class TQZTexture;

constexpr int32_t IMAGETILE_SIZE = 188;
// Portrait pictures (cards) are shown narrower by this factor.
constexpr float IMAGETILE_PORTRAIT_SCALE = 100.0f / 133.0f;
constexpr int32_t IMAGETILE_FONT = 4;

enum TImageTileState : int32_t { TILE_NORMAL = 0, TILE_SELECTED = 2 };

class TUIImageTile : public TUIContainer {
public:
    TUIImageTile(const TQZRect& rect, TGUIWindow* parent, int32_t commandId);
    void Draw(const TQZRect& rect) override;

    // Where the picture goes: the inner rectangle narrowed (scale below 1)
    // or lowered (scale above 1).
    static TQZRect ImageRect(const TQZRect& rect, float scale);

    std::string caption;
    TQZTexture* image = nullptr;  // not owned
    float scale = 1.0f;
    int32_t highlight = TILE_NORMAL;

protected:
    // The picture; a preview tile draws something of its own.
    virtual void DrawImage(const TQZRect& rect);
};

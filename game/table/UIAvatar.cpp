#include "UIAvatar.h"

#include "UITheme.h"
#include "qz7texture.h"
#include "sessionPlayer.h"

TAvatarPicture AvatarPicture(const TSessionPlayer* player)
{
    TAvatarPicture picture;
    if (!player) return picture;
    const int32_t icon = player->AvatarIconId();
    if (icon != 0) {
        picture.textureId = icon;
        return picture;
    }
    // Tiles are 0..7 each way on the sheet; anything else is clamped so a
    // bad saved tile still shows a face.
    const TQZPoint tile = player->AvatarTile();
    const int32_t x = ClampLowWins(0, tile.x, 7) * AVATAR_TILE_SIZE;
    const int32_t y = ClampLowWins(0, tile.y, 7) * AVATAR_TILE_SIZE;
    picture.textureId = TEXTURE_AVATAR_SHEET;
    picture.source = {x, y, x + AVATAR_TILE_SIZE, y + AVATAR_TILE_SIZE};
    return picture;
}

void DrawAvatar(const TSessionPlayer* player, const TQZRect& rect, TQZColour colour)
{
    DrawAvatarPicture(AvatarPicture(player), rect, colour);
}

void DrawAvatarPicture(const TAvatarPicture& picture, const TQZRect& rect, TQZColour colour)
{
    if (picture.textureId == 0 || rect.Width() <= 0 || rect.Height() <= 0) return;
    TQZTexture* texture = UITexture(picture.textureId);
    if (!texture) return;
    if (picture.source.Width() > 0)
        texture->DrawPart(picture.source, rect, colour);
    else
        texture->Draw(rect, colour);
}

// The picture a seat's player is shown with: a tile of the computer
// opponents' sheet, or the icon of the local or a remote player.
#pragma once

#include "qz7core.h"

class TQZTexture;
class TSessionPlayer;

constexpr int32_t AVATAR_TILE_SIZE = 64;
constexpr int32_t TEXTURE_AVATAR_SHEET = 31;

struct TAvatarPicture {
    int32_t textureId = 0;  // 0: nothing to draw
    TQZRect source;         // empty: the whole texture
};

// Which texture (and part of it) shows the player.
TAvatarPicture AvatarPicture(const TSessionPlayer* player);
void DrawAvatarPicture(const TAvatarPicture& picture, const TQZRect& rect, TQZColour colour);
// Draws the player's picture into the rectangle; nothing without a player
// or without the texture.
void DrawAvatar(const TSessionPlayer* player, const TQZRect& rect, TQZColour colour);

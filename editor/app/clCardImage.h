// The texture routines that turn pictures into card images: fitting a
// picture to the card size, resizing, the overlay of index artwork with a
// colour key, and the cameo (a picture set into an existing card with a
// margin). Card textures are square powers of two that hold the card at
// their top left.
#pragma once

#include "qz7core.h"

#include <memory>
#include <string>

class TQZTexture;

// Pixels of this colour are transparent in overlay artwork.
constexpr uint32_t CARDIMAGE_KEY_COLOUR = 0xFFFF00FF;
// Card sizes the editor accepts each way; larger ones would make textures
// no device can hold.
constexpr int32_t CARDIMAGE_MAX_SIDE = 4096;

bool CardSizeAcceptable(TQZPoint size);
// 4, doubled while below the larger side of the card.
int32_t TextureSideFor(TQZPoint cardSize);
// A new texture of the card's texture side with the whole picture in the
// card's rectangle; a picture already of that side is copied as it is.
std::unique_ptr<TQZTexture> FitToCard(TQZTexture* image, TQZPoint cardSize);
// FitToCard for artwork whose key-coloured pixels are holes: the key never
// mixes with the ink, so a pixel comes out either as the key (where the key
// weighs at least half) or as the mean of the ink around it alone. Outside
// the card the texture is the key.
std::unique_ptr<TQZTexture> FitKeyedToCard(TQZTexture* art, TQZPoint cardSize);
// The file as a card picture (nullptr when it will not load); picture
// receives the file's own size.
std::unique_ptr<TQZTexture> LoadCardPicture(const std::string& fileName, TQZPoint cardSize, TQZPoint* picture);
// The card rectangle of oldSize scaled into a new texture for newSize.
std::unique_ptr<TQZTexture> ResizeImage(TQZTexture* image, TQZPoint oldSize, TQZPoint newSize, bool smooth);
// Every target pixel takes the overlay's (edge pixels repeat) unless that
// is the key colour.
void DrawOverlay(TQZTexture* overlay, TQZTexture* target);
// Target pixels under key-coloured pixels of the source become the key.
void ApplyKeyColour(TQZTexture* keySource, TQZTexture* target);
// The part of a picture of size `picture` with the aspect of `frame`, cut
// evenly from both sides of the longer way.
TQZRect AspectCropRect(TQZPoint picture, TQZPoint frame);
// The base card with the picture set into it `distance` from the edges.
void ComposeCameo(TQZPoint distance, TQZPoint cardSize, TQZTexture* base, bool keepAspect, bool border,
                  TQZTexture* target, TQZTexture* picture);
// A fresh texture of the given size cleared to the colour (nullptr when the
// device cannot make it).
std::unique_ptr<TQZTexture> NewCardTexture(int32_t side, uint32_t colour);

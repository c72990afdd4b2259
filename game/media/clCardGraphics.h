// One loaded cardset as the game draws it: the pictures of the 53 cards
// (suit * 13 + rank, 52 the joker), the native card size and what the
// cardset file says about itself.
#pragma once

#include "qz7core.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

class TQZTexture;

constexpr int32_t CARDGFX_SLOTS = 53;
// The size the game assumes when a cardset gives none it can draw.
constexpr int32_t CARDGFX_FALLBACK_WIDTH = 71;
constexpr int32_t CARDGFX_FALLBACK_HEIGHT = 96;

class TCardGraphics : public TQZClass {
public:
    TCardGraphics();
    ~TCardGraphics() override;

    // A size that is not positive both ways becomes the fallback size, so the
    // aspect never divides by zero.
    void SetCardSize(int32_t width, int32_t height);
    TQZRect CardRect() const { return {0, 0, width_, height_}; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    float Aspect() const { return aspect_; }

    // The slot's picture, or nullptr; notes a picture that lost its contents.
    TQZTexture* GetImage(int32_t index);
    // Frees what the slot held; an index outside 0..52 frees the texture given.
    void SetImage(int32_t index, std::unique_ptr<TQZTexture> texture);
    bool HasImage(int32_t index) const;
    // False for an empty slot; else draws the whole picture at the position
    // in the size given, tinted with the colour.
    [[nodiscard]] bool DrawCard(int32_t index, TQZPoint position, TQZColour colour, TQZPoint size);
    // The same pixels from a copy of the card already scaled to the size, made
    // on first use and kept until the size, the sampler states or the cardset
    // change: the table draws every card scaled every frame.
    [[nodiscard]] bool DrawCardCached(int32_t index, TQZPoint position, TQZColour colour, TQZPoint size);
    void FreeImages();

    bool TexturesLost() const { return texturesLost_; }

    bool AlignLeft = true;
    bool OptionB = false;

private:
    // Beside the flags above: the object keeps the size it had before the
    // scaled copies came.
    bool texturesLost_ = false;
    float aspect_ = 1.0f;

public:
    std::string Title, Author, Comments;

private:
    struct TScaledCards;
    TQZTexture* ScaledImage(int32_t index, TQZPoint size);

    int32_t width_ = 0, height_ = 0;
    // The scaled copies live apart: the cardset object keeps its size.
    std::unique_ptr<TScaledCards> scaled_;
    std::array<std::unique_ptr<TQZTexture>, CARDGFX_SLOTS> images_;
};

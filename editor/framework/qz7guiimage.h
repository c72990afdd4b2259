// The image widget: a picture from a file, from the resource manager, or
// handed over by the program, drawn stretched, kept in proportion, centred
// or tiled.
#pragma once

#include "qz7gui.h"
#include "qz7surface.h"
#include "qz7texture.h"

enum TQZGUIImageMode : int32_t { IMAGE_SCALE = 0, IMAGE_ASPECT = 1, IMAGE_CENTRE = 2, IMAGE_TILE = 3 };

// Source kinds.
constexpr int32_t QZIMAGE_SURFACE_RESOURCE = 0;
constexpr int32_t QZIMAGE_TEXTURE_RESOURCE = 1;
constexpr int32_t QZIMAGE_NONE = 6;

const std::vector<std::string>& ImageModeNames();

class TQZGUIImage : public TQZGUIWindow {
public:
    const char* ClassName() const override { return "TQZGUIImage"; }
    const TQZGUIPropertyList& Properties() const override;

    void InitDefaults() override;
    void DragMove(TQZPoint delta) override;
    void DragEnd(TQZPoint delta) override;
    void Paint(const TQZRect& rect) override;

    bool Border() const { return border_; }
    void SetBorder(bool b);
    TQZGUIImageMode DisplayMode() const { return mode_; }
    void SetDisplayMode(TQZGUIImageMode m);
    float DisplayScale() const { return scale_; }
    void SetDisplayScale(float s);
    std::string ImageSource() const { return source_; }
    void SetImageSource(const std::string& fileName);
    bool ResourceOwned() const { return resourceOwned_; }
    void SetResourceOwned(bool b) { resourceOwned_ = b; }
    std::string ResourceID() const { return resourceID_; }
    void SetResourceID(const std::string& id);
    // A texture made by the program; the image owns it from here on.
    void SetTexture(std::unique_ptr<TQZTexture> texture);

    int32_t SourceKind() const { return sourceKind_; }
    TQZPoint ViewOffset() const { return viewOffset_; }
    // The picture's size, (0, 0) without one.
    TQZPoint PictureSize() const;
    // Source and destination rectangles of the modes but tiling; false when
    // the source is empty and nothing is drawn.
    bool PlaceImage(const TQZRect& rect, TQZRect& source, TQZRect& dest) const;

private:
    TQZSurface* PictureSurface() const;
    TQZTexture* PictureTexture() const;
    void DropPictures();
    void DrawPicture(const TQZRect& rect);

    bool border_ = false, resourceOwned_ = false;
    TQZGUIImageMode mode_ = IMAGE_SCALE;
    float scale_ = 1.0f;
    std::string source_, resourceID_;
    std::unique_ptr<TQZSurface> ownedSurface_;
    std::unique_ptr<TQZTexture> ownedTexture_;
    int32_t sourceKind_ = QZIMAGE_NONE;
    int32_t resourceIndex_ = -1;
    TQZPoint viewOffset_;
    TQZPoint dragDone_;
};

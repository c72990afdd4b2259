#include "qz7videochoice.h"
#include "qz7guiimage.h"

#include "qz7resource.h"

#include <cmath>

const std::vector<std::string>& ImageModeNames()
{
    static const std::vector<std::string> names = {"IMAGE_SCALE", "IMAGE_ASPECT", "IMAGE_CENTRE", "IMAGE_TILE"};
    return names;
}

const TQZGUIPropertyList& TQZGUIImage::Properties() const
{
    using W = TQZGUIImage;
    namespace p = qz7props;
    static const TQZGUIPropertyList list = p::Extend(
        WindowProperties(),
        {p::Boolean<W>("Border", &W::Border, &W::SetBorder, false),
         p::Enumeration<W, TQZGUIImageMode>("DisplayMode", ImageModeNames(), &W::DisplayMode, &W::SetDisplayMode),
         p::Float<W>("DisplayScale", &W::DisplayScale, &W::SetDisplayScale),
         p::String<W>("ImageSource", &W::ImageSource, &W::SetImageSource),
         p::Boolean<W>("ResourceOwned", &W::ResourceOwned, &W::SetResourceOwned, false),
         p::String<W>("ResourceID", &W::ResourceID, &W::SetResourceID)});
    return list;
}

void TQZGUIImage::InitDefaults()
{
    SetRepaintOptions(RepaintOptions() | QZREPAINT_DIRTYTARGET | QZREPAINT_CLIP);
    SetColor(0xFFFFFFFF);
    SetCanClick(true);
    viewOffset_ = {0, 0};
    sourceKind_ = QZIMAGE_NONE;
}

void TQZGUIImage::SetBorder(bool b)
{
    border_ = b;
    Invalidate(true);
}

void TQZGUIImage::SetDisplayMode(TQZGUIImageMode m)
{
    mode_ = m;
    Invalidate(true);
}

void TQZGUIImage::SetDisplayScale(float s)
{
    scale_ = s;
    Invalidate(true);
}

// ---------------------------------------------------------------- sources

void TQZGUIImage::DropPictures()
{
    ownedSurface_.reset();
    ownedTexture_.reset();
    sourceKind_ = QZIMAGE_NONE;
    resourceIndex_ = -1;
}

void TQZGUIImage::SetImageSource(const std::string& fileName)
{
    if (fileName == source_) return;
    DropPictures();
    source_ = fileName;
    // A file that is missing or will not decode leaves the image empty.
    if (!fileName.empty()) ownedSurface_ = CreateSurfaceFromFile(fileName, QZSURFACE_MIRROR);
    Invalidate(true);
}

void TQZGUIImage::SetResourceID(const std::string& id)
{
    DropPictures();
    source_.clear();
    resourceID_ = id;
    TQZResourceManager* rm = id.empty() ? nullptr : GetResourceManager();
    if (rm) {
        // A resource that cannot be had leaves the image empty: no error here.
        try {
            resourceIndex_ = rm->Textures().IndexOfOrLoad(id);
            if (resourceIndex_ >= 0) {
                sourceKind_ = QZIMAGE_TEXTURE_RESOURCE;
            } else if ((resourceIndex_ = rm->Surfaces().IndexOfOrLoad(id)) >= 0) {
                sourceKind_ = QZIMAGE_SURFACE_RESOURCE;
            }
        } catch (const EQZResourceError&) {
            resourceIndex_ = -1;
            sourceKind_ = QZIMAGE_NONE;
        }
    }
    Invalidate(true);
}

void TQZGUIImage::SetTexture(std::unique_ptr<TQZTexture> texture)
{
    DropPictures();
    ownedTexture_ = std::move(texture);
    Invalidate(true);
}

TQZSurface* TQZGUIImage::PictureSurface() const
{
    if (ownedSurface_) return ownedSurface_.get();
    if (sourceKind_ != QZIMAGE_SURFACE_RESOURCE) return nullptr;
    TQZResourceManager* rm = GetResourceManager();
    return rm ? rm->Surfaces().GetItem(resourceIndex_) : nullptr;
}

TQZTexture* TQZGUIImage::PictureTexture() const
{
    if (ownedTexture_) return ownedTexture_.get();
    if (sourceKind_ != QZIMAGE_TEXTURE_RESOURCE) return nullptr;
    TQZResourceManager* rm = GetResourceManager();
    return rm ? rm->Textures().GetItem(resourceIndex_) : nullptr;
}

TQZPoint TQZGUIImage::PictureSize() const
{
    if (TQZSurface* s = PictureSurface()) return {s->width, s->height};
    if (TQZTexture* t = PictureTexture()) return {t->GetWidth(), t->GetHeight()};
    return {0, 0};
}

// ---------------------------------------------------------------- pointer

void TQZGUIImage::DragMove(TQZPoint delta)
{
    // The view moves against the pointer, within the picture.
    const TQZPoint size = PictureSize();
    const TQZPoint step{delta.x - dragDone_.x, delta.y - dragDone_.y};
    dragDone_ = delta;
    viewOffset_.x = ClampInt(0, viewOffset_.x - step.x, MaxOf(0, size.x - GetWidth()));
    viewOffset_.y = ClampInt(0, viewOffset_.y - step.y, MaxOf(0, size.y - GetHeight()));
}

void TQZGUIImage::DragEnd(TQZPoint)
{
    dragDone_ = {0, 0};
}

// ---------------------------------------------------------------- painting

bool TQZGUIImage::PlaceImage(const TQZRect& r, TQZRect& s, TQZRect& d) const
{
    const TQZPoint size = PictureSize();
    const int32_t w = size.x, h = size.y, dw = r.right - r.left, dh = r.bottom - r.top;
    const float k = scale_ > 0 ? scale_ : 1.0f;
    s = {0, 0, w, h};
    d = r;
    switch (mode_) {
    case IMAGE_ASPECT: {
        // Without a height or width there is no proportion to keep.
        if (h < 1 || w < 1) break;
        const float q = float(w) / float(h);
        if (float(dw) / q <= float(dh)) {
            const int32_t n = int32_t(std::trunc(float(dw) / q));
            d.top = r.top + (dh / 2 - n / 2);
            d.bottom = d.top + n;
        } else {
            const int32_t n = int32_t(std::trunc(float(dh) * q));
            d.left = r.left + (dw / 2 - n / 2);
            d.right = d.left + n;
        }
        break;
    }
    case IMAGE_CENTRE: {
        const int32_t sw = int32_t(std::nearbyint(w * k)), sh = int32_t(std::nearbyint(h * k));
        if (dw < sw) {
            const int32_t g = int32_t(std::nearbyint(dw / k)) / 2;
            s.left = w / 2 - g;
            s.right = w / 2 + g;
        } else {
            d.left = r.left + (dw / 2 - sw / 2);
            d.right = d.left + sw;
        }
        if (dh < sh) {
            const int32_t g = int32_t(std::nearbyint(dh / k)) / 2;
            s.top = h / 2 - g;
            s.bottom = h / 2 + g;
        } else {
            d.top = r.top + (dh / 2 - sh / 2);
            d.bottom = d.top + sh;
        }
        break;
    }
    default: break;
    }
    return s.left < s.right && s.top < s.bottom;
}

void TQZGUIImage::DrawPicture(const TQZRect& r)
{
    TQZSurface* surface = PictureSurface();
    TQZTexture* texture = surface ? nullptr : PictureTexture();
    if (!surface && !texture) return;
    if (mode_ == IMAGE_TILE) {
        if (surface) {
            (void)surface->DrawTiled(r, {0, 0});  // a picture that fails to draw leaves the frame as it was
        } else {
            const float k = scale_ > 0 ? scale_ : 1.0f;
            texture->DrawScaled(r, {r.left, r.top}, Color(), k, k);
        }
        return;
    }
    TQZRect s, d;
    if (!PlaceImage(r, s, d)) return;
    if (surface) {
        (void)surface->DrawToScreenAt(d, s);  // as above
    } else {
        texture->DrawPart(s, d, Color());
    }
}

void TQZGUIImage::Paint(const TQZRect& r)
{
    TQZVideo* video = GetVideo();
    if (!video) return;
    const bool filter = video->GetLinearFilter();
    video->SetLinearFilter(true);
    DrawPicture(r);
    video->SetLinearFilter(filter);
    if (border_) {
        video->DrawFrame(r, 0x30000000, 4, 0x30000000);
        video->DrawFrame(r, 0xFFFFFFFF, 2, 0xFFFFFFFF);
    }
}

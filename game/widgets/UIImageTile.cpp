#include "UIImageTile.h"

#include "UITheme.h"
#include "arcqz7guiwidgets.h"
#include "qz7fonts.h"
#include "qz7texture.h"

#include <cmath>

TUIImageTile::TUIImageTile(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TUIContainer(rect, parent, TILE_NORMAL)
{
    this->commandId = commandId;
    mouseEnabled = true;
}

TQZRect TUIImageTile::ImageRect(const TQZRect& rect, float scale)
{
    TQZRect r{rect.left + 20, rect.top + 14, rect.right - 20, rect.bottom - 34};
    if (scale < 1.0f) {
        const int32_t w = int32_t(std::lround(scale * float(r.Width())));
        r.left += (r.Width() - w) / 2;
        r.right = r.left + w;
    } else if (scale > 1.0f) {
        const int32_t h = int32_t(std::lround(float(r.Height()) / scale));
        r.top += (r.Height() - h) / 2;
        r.bottom = r.top + h;
    }
    return r;
}

void TUIImageTile::Draw(const TQZRect& rect)
{
    style = highlight;
    TUIContainer::Draw(rect);
    UIDrawBadge(1, {rect.left + 8, rect.top + 6, rect.right - 8, rect.bottom - 6});
    DrawImage(ImageRect(rect, scale));
    if (TQZFont* font = UIFont(IMAGETILE_FONT))
        font->DrawText({rect.left + 10, rect.bottom - 34, rect.right - 10, rect.bottom - 10}, caption,
                       GUITEXT_CENTRE | GUITEXT_VCENTRE, IsHover() ? 0xFFFFFF80 : 0xFFFFFFFF);
}

void TUIImageTile::DrawImage(const TQZRect& rect)
{
    if (image) image->Draw(rect, 0xFFFFFFFF);
}

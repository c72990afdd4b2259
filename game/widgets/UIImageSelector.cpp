#include "UIImageSelector.h"

#include "UIFrame.h"
#include "UIScrollBar.h"
#include "UITheme.h"
#include "clThreadLoader.h"
#include "mgrSettings.h"
#include "qz7text.h"
#include "qz7texture.h"

#include <algorithm>

namespace {

constexpr int32_t kCell = IMAGETILE_SIZE;
constexpr int32_t kBorder = 4;
constexpr int32_t kBarWidth = 23;

// The inner frame fills its own rectangle with the selector's grey.
class TUISelectorFrame : public TUIFrame {
public:
    TUISelectorFrame(const TQZRect& rect, TGUIWindow* parent) : TUIFrame("", rect, parent)
    {
        forwardCommands = true;
    }

protected:
    void DrawBody(const TQZRect& rect) override { UIFill(rect, IMAGESELECTOR_BACKGROUND); }
};

std::string CaptionOf(const std::string& fileName)
{
    return fileName.substr(0, fileName.find('.'));
}

}  // namespace

TImageGrid ImageGridFor(int32_t width, int32_t height, int32_t items)
{
    TImageGrid g;
    g.columns = std::max(1, (width - 40) / kCell);
    g.visibleRows = std::max(0, (height - 8) / kCell);
    items = std::max(0, items);
    g.rows = items / g.columns + (items % g.columns ? 1 : 0);
    g.scrollRange = std::max(0, (g.rows - g.visibleRows) * kCell);
    return g;
}

TUIImageSelector::TUIImageSelector(const TQZRect& rect, const std::string& settingKey, const std::string& folder,
                                   TGUIWindow* parent)
    : TGUIWindow(rect, parent, 0), key_(settingKey)
{
    inner_ = NewWindow<TUISelectorFrame>(TQZRect{0, 0, kCell, kCell}, this);
    bar_ = NewWindow<TUIScrollBar>(TQZRect{0, 0, kBarWidth, kCell}, this, 0);
    bar_->step = kCell / 4;
    inner_->scrollBar = bar_;
    // The callback only notes the index: tiles are touched on the main thread.
    loader_ = std::make_unique<TThreadLoader>(folder, ThumbnailMasks(), [this](int32_t index) { ItemLoaded(index); });
    const std::vector<TLoaderFile> items = loader_->GetItems();
    const float scale = key_ == "Video.Table" ? 1.0f : IMAGETILE_PORTRAIT_SCALE;
    const std::string current = key_.empty() ? std::string() : UpperText(SettingText(key_));
    textures_.resize(items.size());
    for (size_t i = 0; i < items.size(); ++i) {
        TUIImageTile* tile = NewWindow<TUIImageTile>(TQZRect{0, 0, kCell, kCell}, inner_, int32_t(i));
        tile->caption = items[i].fileName;
        tile->scale = scale;
        tiles_.push_back(tile);
    }
    Layout(rect);
    for (size_t i = 0; i < items.size(); ++i)
        if (!current.empty() && UpperText(items[i].fileName) == current) Select(int32_t(i));
    loader_->Start();
}

TUIImageSelector::~TUIImageSelector()
{
    StopLoader();
}

void TUIImageSelector::Destroying()
{
    // Before the tiles go: the worker must not report into a half-freed selector.
    StopLoader();
    TGUIWindow::Destroying();
}

void TUIImageSelector::StopLoader()
{
    loader_.reset();
}

TUIImageTile* TUIImageSelector::Tile(int32_t index) const
{
    return index >= 0 && index < TileCount() ? tiles_[size_t(index)] : nullptr;
}

void TUIImageSelector::ItemLoaded(int32_t index)
{
    TQZLock guard(lock_);
    loaded_.push_back(index);
}

void TUIImageSelector::TakeLoaded()
{
    std::vector<int32_t> indices;
    {
        TQZLock guard(lock_);
        indices.swap(loaded_);
    }
    if (!loader_) return;
    for (int32_t index : indices) {
        TUIImageTile* tile = Tile(index);
        if (!tile) continue;
        const TLoaderFile item = loader_->GetItem(index);
        tile->caption = CaptionOf(item.fileName);
        if (item.image) {
            textures_[size_t(index)] = ThumbnailTexture(*item.image);
            tile->image = textures_[size_t(index)].get();
        }
    }
}

void TUIImageSelector::Update()
{
    TGUIWindow::Update();
    TakeLoaded();
    // Thumbnails still coming: keep frames at the full rate so they show.
    if (loader_ && !loader_->Finished()) UIRequestFrames();
}

void TUIImageSelector::HandleCommand(TGUIWindow* sender, int32_t id)
{
    auto* tile = dynamic_cast<TUIImageTile*>(sender);
    if (!tile || Tile(id) != tile) return;
    Select(id);
    if (!key_.empty() && loader_) SetSetting(key_, loader_->GetItem(id).fileName);
}

void TUIImageSelector::Select(int32_t index)
{
    if (TUIImageTile* previous = Tile(selected_)) previous->highlight = TILE_NORMAL;
    selected_ = Tile(index) ? index : -1;
    if (TUIImageTile* tile = Tile(selected_)) tile->highlight = TILE_SELECTED;
}

void TUIImageSelector::SetRect(const TQZRect& rect)
{
    if (laidOut_ && rect == given_) return;
    Layout(rect);
}

void TUIImageSelector::Layout(const TQZRect& rect)
{
    given_ = rect;
    laidOut_ = true;
    grid_ = ImageGridFor(rect.Width(), rect.Height(), TileCount());
    const int32_t width = grid_.columns * kCell + 40;
    const int32_t left = (rect.left + rect.right) / 2 - width / 2;
    TGUIWindow::SetRect({left, rect.top, left + width, rect.bottom});
    const int32_t h = rect.Height();
    const int32_t frameRight = kBorder + grid_.columns * kCell + 2 * kBorder;
    inner_->SetPosition(0, 0);
    inner_->SetBounds({kBorder, kBorder, frameRight, std::max(kBorder, h - kBorder)});
    bar_->SetBounds({frameRight + 2, kBorder, frameRight + 2 + kBarWidth, std::max(kBorder, h - kBorder)});
    bar_->SetMax(grid_.scrollRange);
    bar_->SetPosition(0);
    bar_->SetVisible(grid_.scrollRange > 0);
    for (int32_t i = 0; i < TileCount(); ++i) {
        const int32_t x = (i % grid_.columns) * kCell + kBorder, y = (i / grid_.columns) * kCell + kBorder;
        tiles_[size_t(i)]->SetBounds({x, y, x + kCell, y + kCell});
    }
}

void TUIImageSelector::Draw(const TQZRect& rect)
{
    UIDrawBadge(0, rect);
}

bool TUIImageSelector::MouseWheel(int32_t delta)
{
    if (grid_.scrollRange <= 0) return false;
    bar_->SetPosition(std::clamp(bar_->Position() - (delta > 0 ? kCell / 2 : -kCell / 2), 0, grid_.scrollRange));
    return true;
}

// A scrolling grid of thumbnails of the files in one folder (tables,
// cardsets, card backs); a click stores the file's name in a setting, which
// makes the resource manager load it. The thumbnails come from a worker
// thread; the selector takes them into its tiles on the main thread.
#pragma once

#include "UIImageTile.h"
#include "arcqz7gui.h"
#include "qz7threads.h"

#include <memory>
#include <string>
#include <vector>

class TQZTexture;
class TThreadLoader;
class TUIFrame;
class TUIScrollBar;

constexpr TQZColour IMAGESELECTOR_BACKGROUND = 0xFF808080;

// Columns and rows of a grid of tiles in a rectangle: never fewer than one
// column, so a narrow rectangle still shows its tiles.
struct TImageGrid {
    int32_t columns = 1, visibleRows = 0, rows = 0, scrollRange = 0;
};
TImageGrid ImageGridFor(int32_t width, int32_t height, int32_t items);

class TUIImageSelector : public TGUIWindow {
public:
    // An empty setting key selects without storing anything.
    TUIImageSelector(const TQZRect& rect, const std::string& settingKey, const std::string& folder,
                     TGUIWindow* parent);
    ~TUIImageSelector() override;

    void Destroying() override;
    void HandleCommand(TGUIWindow* sender, int32_t id) override;
    void SetRect(const TQZRect& rect) override;
    void Update() override;
    void Draw(const TQZRect& rect) override;
    bool MouseWheel(int32_t delta) override;

    void Layout(const TQZRect& rect);
    // An index outside the tiles selects nothing.
    void Select(int32_t index);
    // Captions and pictures of the items the worker finished since the last
    // call (main thread; Update calls it).
    void TakeLoaded();

    const std::string& SettingKey() const { return key_; }
    int32_t Columns() const { return grid_.columns; }
    int32_t Rows() const { return grid_.rows; }
    int32_t VisibleRows() const { return grid_.visibleRows; }
    int32_t SelectedIndex() const { return selected_; }
    int32_t TileCount() const { return int32_t(tiles_.size()); }
    TUIImageTile* Tile(int32_t index) const;
    TThreadLoader* Loader() const { return loader_.get(); }
    TUIScrollBar* ScrollBar() const { return bar_; }
    TUIFrame* Inner() const { return inner_; }

private:
    void ItemLoaded(int32_t index);  // worker thread
    void StopLoader();

    std::string key_;
    TQZCriticalSection lock_{"LoaderCrit"};
    std::vector<int32_t> loaded_;  // under lock_
    std::unique_ptr<TThreadLoader> loader_;
    std::vector<TUIImageTile*> tiles_;
    std::vector<std::unique_ptr<TQZTexture>> textures_;
    TUIFrame* inner_ = nullptr;
    TUIScrollBar* bar_ = nullptr;
    TImageGrid grid_;
    int32_t selected_ = -1;
    TQZRect given_{};
    bool laidOut_ = false;
};

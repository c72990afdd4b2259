// Files dropped onto the program's window: the window's drop target takes
// drags that carry files, limits them to a target rectangle, and reports
// enter, movement, leave and drop to the handlers its owner sets.
#pragma once

#include "qz7core.h"
#include "qz7window.h"

#include <memory>
#include <string>
#include <vector>

class TQZDragDrop;

using TQZDropFilesEvent = TQZMethod<void(TQZPoint, const std::vector<std::string>&)>;
using TQZDragEvent = TQZMethod<void()>;
using TQZDragOverEvent = TQZMethod<void(TQZPoint)>;

// What the window calls during a drag; answers are drop effects.
class TQZDropTarget : public TQZWindowDropTarget {
public:
    explicit TQZDropTarget(TQZDragDrop* owner) : owner_(owner) {}

    int32_t DragEnter(const std::vector<std::string>& files, TQZPoint point) override;
    int32_t DragOver(TQZPoint point) override;
    void DragLeave() override;
    int32_t Drop(const std::vector<std::string>& files, TQZPoint point) override;

    TQZPoint point{0, 0};   // the last point, client coordinates
    bool accepts = false;   // the current drag carries files
    bool enabled = true;

private:
    bool InTarget(TQZPoint p) const;
    TQZDragDrop* owner_;
};

class TQZDragDrop : public TQZClass {
public:
    // An all-zero rectangle takes drops anywhere (-8192..8192 both ways).
    TQZDragDrop(TQZWindow* window, const TQZRect& rect);
    ~TQZDragDrop() override;
    TQZDragDrop(const TQZDragDrop&) = delete;
    TQZDragDrop& operator=(const TQZDragDrop&) = delete;

    // False when the window had a drop target already.
    bool Registered() const { return registered_; }
    TQZDropTarget* Target() const { return target_.get(); }
    TQZWindow* Window() const { return window_; }

    TQZRect targetRect;
    bool inside = false;  // a drag that carries files is over the window
    TQZDropFilesEvent onDrop;
    TQZDragEvent onLeave;
    TQZDragEvent onEnter;
    TQZDragOverEvent onOver;

private:
    TQZWindow* window_;
    std::unique_ptr<TQZDropTarget> target_;
    bool registered_ = false;
};

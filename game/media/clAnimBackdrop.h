// The table backdrop: a still image under the card table. Animated
// backdrops (an `.ice` archive with a "Backdrop.json") are drawn by the
// editor framework's animated backdrop, which this build does not have yet:
// such a file does not load.
#pragma once

#include "qz7core.h"

#include <memory>
#include <string>

class TQZSurface;

class TAnimatedBackdrop : public TQZClass {
public:
    // nullptr when the file cannot be shown.
    static std::unique_ptr<TAnimatedBackdrop> Create(const std::string& fileName);
    TAnimatedBackdrop() = default;
    ~TAnimatedBackdrop() override;

    TQZSurface* Image() const { return image_.get(); }
    bool Still() const { return still_; }

private:
    std::unique_ptr<TQZSurface> image_;
    bool still_ = true;
};

bool IsAnimatedBackdropFile(const std::string& fileName);

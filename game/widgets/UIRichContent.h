// The widget that owns a rich-text content and draws it into its rectangle.
#pragma once

#include "arcqz7gui.h"
#include "clRichContent.h"

#include <memory>

class TUIRichContent : public TGUIWindow {
public:
    TUIRichContent(const TQZRect& rect, TGUIWindow* parent, int32_t commandId = 0);
    ~TUIRichContent() override;

    void AfterCreate() override;
    void SetRect(const TQZRect& rect) override;
    void Update() override;
    void Draw(const TQZRect& rect) override;

    TRichContent* Content() const { return content_.get(); }

private:
    std::unique_ptr<TRichContent> content_;
};

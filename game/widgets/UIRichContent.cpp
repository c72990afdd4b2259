#include "UIRichContent.h"

TUIRichContent::TUIRichContent(const TQZRect& rect, TGUIWindow* parent, int32_t commandId)
    : TGUIWindow(rect, parent, commandId)
{
}

TUIRichContent::~TUIRichContent() = default;

void TUIRichContent::AfterCreate()
{
    content_ = std::make_unique<TRichContent>();
    content_->SetSize(GetWidth(), GetHeight());
}

void TUIRichContent::SetRect(const TQZRect& rect)
{
    TGUIWindow::SetRect(rect);
    if (content_) content_->SetSize(GetWidth(), GetHeight());
}

void TUIRichContent::Update()
{
    TGUIWindow::Update();
    if (content_) content_->Update();
}

void TUIRichContent::Draw(const TQZRect& rect)
{
    if (content_) content_->Draw(rect);
}

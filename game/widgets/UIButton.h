// The game's button: a face from the button texture (or a picture), a caption
// that follows the button's state, a click sound, and a cached drawing.
#pragma once

#include "arcqz7guiwidgets.h"
#include "clRenderer.h"

class TUIButton : public TGUIButton {
public:
    TUIButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

    void Press() override;
    bool MouseUp(TQZPoint point) override;
    void MouseMove(TQZPoint point, TGUIWindow* hit) override;
    void Draw(const TQZRect& rect) override;

    TQZPoint Pointer() const { return pointer_; }

    bool sendOnPress = false;
    TQZTexture* picture = nullptr;  // not owned
    uint32_t textFlags = 0x12;

protected:
    // The face and caption, as the cycle button draws them too.
    void DrawFace(const TQZRect& rect);
    // What the face shows, for the cache key.
    TRenderKey FaceKey(const TQZRect& rect) const;

    TRenderer renderer_;

private:
    TQZPoint pointer_{-1, -1};
};

// Texture cells of the face: normal, hovered, pressed.
constexpr TQZRect UIBUTTON_FACE{0, 0, 126, 53};
constexpr TQZRect UIBUTTON_FACE_HOVER{128, 0, 254, 53};
constexpr TQZRect UIBUTTON_FACE_PRESSED{0, 64, 126, 117};
constexpr TQZColour UIBUTTON_DISABLED = 0x80505050;
constexpr TQZColour UIBUTTON_DISABLED_CAPTION = 0xFF8A8A8A;
constexpr TQZColour UIBUTTON_DISABLED_PICTURE = 0xA0707070;

TUIButton* MakeUIButton(const std::string& caption, const TQZRect& rect, TGUIWindow* parent, int32_t commandId);

// What the units beneath the video object (surfaces, textures, fonts) need
// of it without including it: the mode flags, the process's choice of back
// end and the frame being drawn. The video object keeps the frame current.
#pragma once

#include <cstdint>

class TQZD3DImageClass;
class TQZRenderCache;

// Mode flags.
constexpr uint32_t QZVIDEO_MAXIMISE = 0x0001;
constexpr uint32_t QZVIDEO_NOVSYNC = 0x0002;
constexpr uint32_t QZVIDEO_NOSIZEFRAME = 0x0004;
constexpr uint32_t QZVIDEO_TOPMOST = 0x0008;
constexpr uint32_t QZVIDEO_GDIDIRECT = 0x1000;
constexpr uint32_t QZVIDEO_NODEVICE = 0x2000;

// What a Direct3D-only primitive answers on the GDI back end.
constexpr int32_t QZRES_VIDEO_GDI_UNSUPPORTED = 0x2001;

constexpr int32_t QZVIDEO_BACKEND_DX9 = 0;
constexpr int32_t QZVIDEO_BACKEND_GDI = 1;

// The back end the process draws with: 0 Direct3D 9, 1 GDI. Surfaces made
// under GDI are all bitmaps; GetVideo (qz7videochoice) hands out its object.
extern int32_t VideoBackEnd;

// The frame being drawn, as the units below the video object see it.
class TQZVideoFrame {
public:
    virtual TQZRenderCache* FrameRenderCache() = 0;
    virtual TQZD3DImageClass* FrameRenderTarget() = 0;

protected:
    ~TQZVideoFrame() = default;
};

// Set by the video object at BeginFrame, cleared when its frame ends.
void SetRunningFrame(TQZVideoFrame* frame);
// The frame between BeginFrame and EndFrame, else nullptr.
TQZVideoFrame* RunningFrame();

// The render cache that texture, surface and font drawing goes to: the one
// of the running frame's video object; nullptr outside a frame.
TQZRenderCache* CurrentRenderCache();

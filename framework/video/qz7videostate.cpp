#include "qz7videostate.h"

int32_t VideoBackEnd = QZVIDEO_BACKEND_DX9;

namespace {

TQZVideoFrame* runningFrame = nullptr;

}  // namespace

void SetRunningFrame(TQZVideoFrame* frame) { runningFrame = frame; }

TQZVideoFrame* RunningFrame() { return runningFrame; }

TQZRenderCache* CurrentRenderCache() { return runningFrame ? runningFrame->FrameRenderCache() : nullptr; }

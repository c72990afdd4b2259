// Frames leaving the device: the router that hands them to windows, and PNG
// capture of frames for debugging and for tests that compare pixels.
#pragma once

#include "sgResources.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace plat::softgpu {

// Receives the frames of devices that have no sink of their own, with the
// window the device was made for. The window layer installs it once.
using PresentRouter = std::function<void(void* window, const uint32_t* pixels, int32_t pitchBytes, int32_t width,
                                         int32_t height)>;
void SetPresentRouter(PresentRouter router);
void RoutePresent(void* window, const uint32_t* pixels, int32_t pitchBytes, int32_t width, int32_t height);

// Debug switch: every presented frame is also written into the folder as
// frame_NNNNNN.png; "" stops. Without a call, the environment variable
// VANTOREL_FRAME_CAPTURE names the folder.
void SetFrameCaptureFolder(const std::string& folder);
std::string FrameCaptureFolder();

// PNG (8-bit RGBA, no interlace) of 32-bit ARGB pixels; opaque when the
// surface format has no alpha.
std::vector<uint8_t> EncodePng(const uint32_t* pixels, int32_t pitchPixels, int32_t width, int32_t height,
                               bool opaque);
[[nodiscard]] bool WritePng(const Surface& surface, const std::string& path);

}  // namespace plat::softgpu

// Values, records and result codes of the software graphics device. The
// numbers are the ones the framework passes and compares, so states, formats
// and flags keep the values callers already use.
#pragma once

#include <cstdint>

namespace plat::softgpu {

// ---------------------------------------------------------------- results
constexpr int32_t kOk = 0;
constexpr int32_t kFailed = 1;
// A size below 1 or beyond the device's limit, or a malformed request.
constexpr int32_t kBadArgument = 2;
constexpr int32_t kInvalidCall = int32_t(0x8876086Cu);
constexpr int32_t kNotAvailable = int32_t(0x8876086Au);
constexpr int32_t kOutOfVideoMemory = int32_t(0x8876017Cu);
constexpr int32_t kOutOfMemory = int32_t(0x8007000Eu);
constexpr int32_t kDeviceLost = int32_t(0x88760868u);
constexpr int32_t kDeviceNotReset = int32_t(0x88760869u);

// Largest texture, surface or back buffer side the device accepts.
constexpr int32_t kMaxTextureSize = 8192;

// ---------------------------------------------------------------- formats
constexpr uint32_t kFormatUnknown = 0;
constexpr uint32_t kFormatA8R8G8B8 = 21;
constexpr uint32_t kFormatX8R8G8B8 = 22;
constexpr uint32_t kFormatR5G6B5 = 23;
constexpr uint32_t kFormatX1R5G5B5 = 24;
constexpr uint32_t kFormatA1R5G5B5 = 25;
constexpr uint32_t kFormatD32 = 71;
constexpr uint32_t kFormatD24X8 = 77;
constexpr uint32_t kFormatD16 = 80;
constexpr uint32_t kFormatIndex16 = 101;
constexpr uint32_t kFormatIndex32 = 102;

bool IsDepthFormat(uint32_t format);
bool IsColourFormat(uint32_t format);

// ---------------------------------------------------------------- pools, usage, locks
constexpr uint32_t kPoolDefault = 0;
constexpr uint32_t kPoolManaged = 1;
constexpr uint32_t kPoolSystemMem = 2;
constexpr uint32_t kPoolScratch = 3;

constexpr uint32_t kUsageRenderTarget = 0x1;
constexpr uint32_t kUsageDepthStencil = 0x2;
constexpr uint32_t kUsageWriteOnly = 0x8;
constexpr uint32_t kUsageDynamic = 0x200;
constexpr uint32_t kUsageQueryFilter = 0x20000;

constexpr uint32_t kLockReadOnly = 0x10;
constexpr uint32_t kLockNoOverwrite = 0x1000;
constexpr uint32_t kLockDiscard = 0x2000;

constexpr uint32_t kResourceSurface = 1;
constexpr uint32_t kResourceTexture = 3;

// ---------------------------------------------------------------- device creation
constexpr uint32_t kDeviceTypeHal = 1;
constexpr uint32_t kCreateFpuPreserve = 0x2;
constexpr uint32_t kCreateMultithreaded = 0x4;
constexpr uint32_t kCreateSoftwareVertexProcessing = 0x20;
constexpr uint32_t kCreateHardwareVertexProcessing = 0x40;
constexpr uint32_t kSwapDiscard = 1;
constexpr uint32_t kPresentIntervalOne = 1;
constexpr uint32_t kPresentIntervalImmediate = 0x80000000u;
constexpr uint32_t kMultiSampleNone = 0;
constexpr uint32_t kMultiSampleNonMaskable = 1;

// Capability bits the framework reads.
constexpr uint32_t kDevCapsHwTransformAndLight = 0x10000;
constexpr uint32_t kTextureCapsPow2 = 0x2;
constexpr uint32_t kTextureCapsSquareOnly = 0x20;
constexpr uint32_t kTextureCapsNonPow2Conditional = 0x100;

// ---------------------------------------------------------------- drawing
constexpr uint32_t kClearTarget = 0x1;
constexpr uint32_t kClearZBuffer = 0x2;
constexpr uint32_t kClearStencil = 0x4;

constexpr uint32_t kPrimitiveTriangleList = 4;

// Vertex layout bits; the screen vertex is the one every 2-D draw uses.
constexpr uint32_t kFvfXyz = 0x002;
constexpr uint32_t kFvfXyzRhw = 0x004;
constexpr uint32_t kFvfNormal = 0x010;
constexpr uint32_t kFvfDiffuse = 0x040;
constexpr uint32_t kFvfSpecular = 0x080;
constexpr uint32_t kFvfTex1 = 0x100;
constexpr uint32_t kFvfScreenVertex = kFvfXyzRhw | kFvfDiffuse | kFvfSpecular | kFvfTex1;  // 0x1C4
// Bytes per vertex of a layout; 0 when the layout is not understood.
uint32_t FvfVertexSize(uint32_t fvf);

// Pre-transformed vertex of layout 0x1C4 (32 bytes).
struct ScreenVertex {
    float x = 0, y = 0, z = 0, rhw = 1;
    uint32_t diffuse = 0xFFFFFFFF;
    uint32_t specular = 0xFFFFFFFF;
    float u = 0, v = 0;
};
static_assert(sizeof(ScreenVertex) == 32);

// Render states, by number.
constexpr uint32_t kRsZEnable = 7;
constexpr uint32_t kRsFillMode = 8;
constexpr uint32_t kRsZWriteEnable = 14;
constexpr uint32_t kRsAlphaTestEnable = 15;
constexpr uint32_t kRsSrcBlend = 19;
constexpr uint32_t kRsDestBlend = 20;
constexpr uint32_t kRsCullMode = 22;
constexpr uint32_t kRsAlphaBlendEnable = 27;
constexpr uint32_t kRsLighting = 137;
constexpr uint32_t kRsColorWriteEnable = 168;
constexpr uint32_t kRsBlendOp = 171;
constexpr uint32_t kRsScissorTestEnable = 174;
constexpr uint32_t kRsSeparateAlphaBlendEnable = 206;
constexpr uint32_t kRsSrcBlendAlpha = 207;
constexpr uint32_t kRsDestBlendAlpha = 208;
constexpr uint32_t kRsBlendOpAlpha = 209;
constexpr uint32_t kRenderStateCount = 256;

constexpr uint32_t kFillSolid = 3;
constexpr uint32_t kCullNone = 1;
constexpr uint32_t kCullClockwise = 2;
constexpr uint32_t kCullCounterClockwise = 3;

// Blend factors and operation.
constexpr uint32_t kBlendZero = 1;
constexpr uint32_t kBlendOne = 2;
constexpr uint32_t kBlendSrcColor = 3;
constexpr uint32_t kBlendInvSrcColor = 4;
constexpr uint32_t kBlendSrcAlpha = 5;
constexpr uint32_t kBlendInvSrcAlpha = 6;
constexpr uint32_t kBlendDestAlpha = 7;
constexpr uint32_t kBlendInvDestAlpha = 8;
constexpr uint32_t kBlendDestColor = 9;
constexpr uint32_t kBlendInvDestColor = 10;
constexpr uint32_t kBlendOpAdd = 1;

// Colour write mask bits (state 168).
constexpr uint32_t kWriteRed = 1;
constexpr uint32_t kWriteGreen = 2;
constexpr uint32_t kWriteBlue = 4;
constexpr uint32_t kWriteAlpha = 8;

// Texture stage states and their values.
constexpr uint32_t kTssColorOp = 1;
constexpr uint32_t kTssColorArg1 = 2;
constexpr uint32_t kTssColorArg2 = 3;
constexpr uint32_t kTssAlphaOp = 4;
constexpr uint32_t kTssAlphaArg1 = 5;
constexpr uint32_t kTssAlphaArg2 = 6;
constexpr uint32_t kStageStateCount = 33;

constexpr uint32_t kTopDisable = 1;
constexpr uint32_t kTopSelectArg1 = 2;
constexpr uint32_t kTopSelectArg2 = 3;
constexpr uint32_t kTopModulate = 4;

constexpr uint32_t kArgDiffuse = 0;
constexpr uint32_t kArgCurrent = 1;
constexpr uint32_t kArgTexture = 2;

// Sampler states and their values.
constexpr uint32_t kSampAddressU = 1;
constexpr uint32_t kSampAddressV = 2;
constexpr uint32_t kSampMagFilter = 5;
constexpr uint32_t kSampMinFilter = 6;
constexpr uint32_t kSamplerStateCount = 14;

constexpr uint32_t kAddressWrap = 1;
constexpr uint32_t kAddressMirror = 2;
constexpr uint32_t kAddressClamp = 3;

constexpr uint32_t kFilterNone = 0;
constexpr uint32_t kFilterPoint = 1;
constexpr uint32_t kFilterLinear = 2;

// ---------------------------------------------------------------- records
struct Rect {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
    int32_t Width() const { return right - left; }
    int32_t Height() const { return bottom - top; }
    bool operator==(const Rect&) const = default;
};

struct Point {
    int32_t x = 0, y = 0;
};

struct DisplayMode {
    uint32_t width = 0, height = 0, refreshRate = 0, format = kFormatUnknown;
    bool operator==(const DisplayMode&) const = default;
};

struct PresentParameters {
    uint32_t backBufferWidth = 0;
    uint32_t backBufferHeight = 0;
    uint32_t backBufferFormat = kFormatX8R8G8B8;
    uint32_t backBufferCount = 1;
    uint32_t multiSampleType = kMultiSampleNone;
    uint32_t multiSampleQuality = 0;
    uint32_t swapEffect = kSwapDiscard;
    void* deviceWindow = nullptr;
    bool windowed = true;
    bool enableAutoDepthStencil = false;
    uint32_t autoDepthStencilFormat = kFormatUnknown;
    uint32_t flags = 0;
    uint32_t fullScreenRefreshRate = 0;
    uint32_t presentationInterval = kPresentIntervalOne;
};

struct DeviceCaps {
    uint32_t devCaps = 0;
    uint32_t textureCaps = 0;
    uint32_t maxTextureWidth = 0;
    uint32_t maxTextureHeight = 0;
    uint32_t vertexProcessingCaps = 0;
    uint32_t maxActiveLights = 0;
    uint32_t vertexShaderVersion = 0;
    uint32_t pixelShaderVersion = 0;
};

struct SurfaceDesc {
    uint32_t format = kFormatUnknown;
    uint32_t type = kResourceSurface;
    uint32_t usage = 0;
    uint32_t pool = kPoolDefault;
    uint32_t multiSampleType = kMultiSampleNone;
    uint32_t width = 0;
    uint32_t height = 0;
};

struct LockedRect {
    int32_t pitch = 0;  // bytes per row
    void* bits = nullptr;
};

}  // namespace plat::softgpu

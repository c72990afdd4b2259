#include "clAnimBackdrop.h"

#include "coreGameDiagnostics.h"
#include "qz7files.h"
#include "qz7surface.h"

bool IsAnimatedBackdropFile(const std::string& fileName)
{
    return FileExtOf(fileName) == "ICE";
}

std::unique_ptr<TAnimatedBackdrop> TAnimatedBackdrop::Create(const std::string& fileName)
{
    if (IsAnimatedBackdropFile(fileName)) {
        WriteLog("Animated backdrops are not supported in this build: \"" + fileName + "\"");
        return nullptr;
    }
    auto b = std::make_unique<TAnimatedBackdrop>();
    // A mirrored surface keeps its picture through a device reset.
    b->image_ = CreateSurfaceFromFile(fileName, QZSURFACE_MIRROR);
    if (!b->image_) return nullptr;
    return b;
}

TAnimatedBackdrop::~TAnimatedBackdrop() = default;

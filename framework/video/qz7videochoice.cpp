#include "qz7videochoice.h"

#include "qz7videogdi.h"

TQZVideo* GetVideo()
{
    if (VideoBackEnd == QZVIDEO_BACKEND_DX9) return GetInstance<TQZVideoDX9>(QZSLOT_VIDEODX9);
    if (VideoBackEnd == QZVIDEO_BACKEND_GDI) return GetVideoGDI();
    return nullptr;
}

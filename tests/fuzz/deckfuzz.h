// Shared by the foreign deck fuzz targets: a headless device to decode
// into, and the checks every reader's result must pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "clCardGraphics.h"
#include "ioLoader.h"
#include "qz7memory.h"
#include "qz7video.h"
#include "qz7videochoice.h"

namespace deckfuzz {

// The device goes before the process's own globals do: the stop is
// registered once an input has been through, after every static the
// framework makes on first use, so that it runs before they are gone.
struct TStopAtExit {
    ~TStopAtExit()
    {
        static const bool once = (std::atexit([] { FrameworkStop(); }), true);
        (void)once;
    }
};

inline bool StartDevice(const char* name)
{
    FrameworkStart(name);
    TQZVideo* video = GetVideo();
    return video && video->SetMode(64, 64, std::make_unique<TQZHeadlessVideoWindow>(0, 0), QZWINDOW_WINDOWED, 0) ==
                        QZRES_OK;
}

// Loads the bytes with the reader: only bytes it detects give a cardset,
// detected bytes always do when loadFollowsDetect (readers whose whole
// deck is one picture may still fail to decode it), and every cardset has
// a size the game can draw.
template <class L> void CheckReader(const uint8_t* data, size_t size, bool loadFollowsDetect)
{
    const TStopAtExit stop;
    TQZMemory memory;
    if (memory.AssignBytes(data, int32_t(size)) != QZRES_OK) return;
    L loader;
    const bool detected = loader.Detect(memory);
    std::unique_ptr<TCardGraphics> cardset = loader.Load(memory);
    if (!detected && cardset) std::abort();
    if (detected && loadFollowsDetect && !cardset) std::abort();
    if (!cardset) return;
    if (cardset->Width() < 1 || cardset->Height() < 1 || cardset->Width() > CARD_MAX_SIDE ||
        cardset->Height() > CARD_MAX_SIDE)
        std::abort();
}

}  // namespace deckfuzz

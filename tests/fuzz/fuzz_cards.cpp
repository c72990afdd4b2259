// The `.cards` reader on arbitrary bytes: the header checks hold for what
// it accepts, every directory entry it keeps lies inside the data, and a
// whole load (pictures decoded, indices composed) stays inside its limits.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "clCardGraphics.h"
#include "deckfuzz.h"
#include "ioCardset.h"
#include "qz7memory.h"
#include "qz7video.h"
#include "qz7videochoice.h"

namespace {
bool StartDevice()
{
    FrameworkStart("fuzz_cards");
    TQZVideo* video = GetVideo();
    return video && video->SetMode(64, 64, std::make_unique<TQZHeadlessVideoWindow>(0, 0), QZWINDOW_WINDOWED, 0) ==
                        QZRES_OK;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool device = StartDevice();
    const deckfuzz::TStopAtExit stop;
    TCardsFileInfo info;
    if (ParseCardsFile(data, size, info) != TCardsParse::Ok) return 0;
    if (info.width < 1 || info.width > CARD_MAX_SIDE || info.height < 1 || info.height > CARD_MAX_SIDE) std::abort();
    if (info.title.size() + info.author.size() + info.comments.size() > size) std::abort();
    for (const TCardsImageEntry& e : info.images)
        if (e.size != 0 && uint64_t(e.offset) + e.size > size) std::abort();
    // Composing at the largest sizes costs tens of megabytes a slot: the
    // whole load is tried on cards of a sensible size.
    if (!device || int64_t(info.width) * info.height > 512 * 512) return 0;
    TQZMemory memory;
    if (memory.AssignBytes(data, int32_t(size)) != QZRES_OK) return 0;
    TLoaderCardset loader;
    std::unique_ptr<TCardGraphics> cardset = loader.Load(memory);
    if (!cardset || cardset->Width() != info.width || cardset->Height() != info.height) std::abort();
    return 0;
}

// Every result code of the framework reads as its own name in logs and
// messages; the video layer's codes are named by value in the core, so a
// code changed in its header without the core shows here.
#include "qz7core.h"
#include "qz7direct3d.h"
#include "qz7surface.h"
#include "qz7videostate.h"

#include <gtest/gtest.h>

#define NAMED(code) {code, #code}

TEST(ResultText, EveryCodeReadsAsItsName)
{
    const struct {
        int32_t code;
        const char* name;
    } cases[] = {
        NAMED(QZRES_OK),
        NAMED(QZRES_FAILED),
        NAMED(QZRES_BADARG),
        NAMED(QZRES_ALLOC),
        NAMED(QZRES_NOFILE),
        NAMED(QZRES_AUDIO_NOLIBRARY),
        NAMED(QZRES_AUDIO_NOINIT),
        NAMED(QZRES_AUDIO_NODEVICE),
        NAMED(QZRES_FILE_OPEN),
        NAMED(QZRES_FILE_FIRSTREAD),
        NAMED(QZRES_FILE_WRITE),
        NAMED(QZRES_FILE_SIZE),
        NAMED(QZRES_FOLDER_EXISTS),
        NAMED(QZRES_FILE_READ),
        NAMED(QZRES_ARRAY_NOMEMORY),
        NAMED(QZRES_VIDEO_NOTSUPPORTED),
        NAMED(QZRES_VIDEO_GDI_UNSUPPORTED),
        NAMED(QZRES_SURFACE_NOTMADE),
        NAMED(QZRES_SURFACE_NOACCESS),
        NAMED(QZRES_SURFACE_OTHERACCESS),
        NAMED(QZRES_SURFACE_NOCOPY),
    };
    for (const auto& c : cases) EXPECT_EQ(ResultText(c.code), c.name);
}

TEST(ResultText, AnUnknownCodeReadsAsItsNumber)
{
    EXPECT_EQ(ResultText(0x1234), "result 0x1234");
    EXPECT_EQ(ResultText(-1), "result 0xFFFFFFFF");
}

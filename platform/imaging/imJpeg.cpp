// JPEG through libjpeg. Its errors leave by longjmp, so the functions that
// set the jump point keep only plain values in their own frames.
#include <algorithm>
#include <csetjmp>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

#include "imCodecs.h"

namespace plat::imaging::detail {

namespace {

// A file with thousands of tiny progressive scans decodes forever; no real
// image needs more than a few dozen.
constexpr int MAX_SCANS = 256;

struct JpegError {
    jpeg_error_mgr mgr;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    bool dataEnded;   // the reader ran out of bytes
    bool rowsMissed;  // the decoder needed data past the end of a scan's
};

// The image data ran out before the last row, whatever marker came after it
// (the end of the file, an end-of-image or any other marker): libjpeg fills
// the missing rows with grey and only warns. The arithmetic decoder gives no
// such warning, so there a file that ends without its marker is refused too.
bool DataRanOut(const jpeg_decompress_struct& cinfo, const JpegError& err)
{
    return err.rowsMissed || (cinfo.arith_code && err.dataEnded);
}

void OnError(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

void OnMessage(j_common_ptr) {}  // warnings on corrupt data are not printed

void OnEmit(j_common_ptr cinfo, int level)
{
    auto* err = reinterpret_cast<JpegError*>(cinfo->err);
    if (level < 0 && cinfo->err->msg_code == JWRN_JPEG_EOF) err->dataEnded = true;
    if (level < 0 && cinfo->err->msg_code == JWRN_HIT_MARKER) err->rowsMissed = true;
    if (level < 0) ++cinfo->err->num_warnings;
}

void OnProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MAX_SCANS) {
        auto* err = reinterpret_cast<JpegError*>(cinfo->err);
        std::snprintf(err->message, sizeof err->message, "too many scans");
        std::longjmp(err->jump, 1);
    }
}

void InitError(JpegError& err)
{
    jpeg_std_error(&err.mgr);
    err.mgr.error_exit = OnError;
    err.mgr.output_message = OnMessage;
    err.mgr.emit_message = OnEmit;
    err.message[0] = 0;
    err.dataEnded = false;
    err.rowsMissed = false;
}

// Adobe writes CMYK inverted; either way the result is opaque RGB.
void CmykRowToBgra(const uint8_t* in, uint8_t* out, int width, bool inverted)
{
    for (int x = 0; x < width; ++x, in += 4, out += 4) {
        int c = in[0], m = in[1], y = in[2], k = in[3];
        if (!inverted) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
        out[0] = uint8_t(y * k / 255);
        out[1] = uint8_t(m * k / 255);
        out[2] = uint8_t(c * k / 255);
        out[3] = 255;
    }
}

// Returns 0 on success, 1 on a libjpeg error, 2 for a size outside the limits.
int DecodeInto(jpeg_decompress_struct& cinfo, JpegError& err, const uint8_t* data, size_t size,
               Image& out, bool headerOnly)
{
    jpeg_progress_mgr progress{};
    progress.progress_monitor = OnProgress;
    if (setjmp(err.jump)) return 1;
    jpeg_create_decompress(&cinfo);
    cinfo.progress = &progress;
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    out.width = int32_t(cinfo.image_width);
    out.height = int32_t(cinfo.image_height);
    if (!SizeAllowed(cinfo.image_width, cinfo.image_height)) return 2;
    if (headerOnly) return 0;
    bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : JCS_EXT_BGRA;
    jpeg_start_decompress(&cinfo);
    if (int32_t(cinfo.output_width) != out.width || int32_t(cinfo.output_height) != out.height ||
        cinfo.output_components != 4)
        return 1;
    // Rows are stored as they arrive, the buffer doubling, so a header that
    // claims more rows than the data holds costs only the rows really there.
    const size_t rowBytes = size_t(out.width) * 4, allBytes = rowBytes * size_t(out.height);
    out.pixels.clear();
    while (cinfo.output_scanline < cinfo.output_height) {
        size_t at = size_t(cinfo.output_scanline) * rowBytes;
        if (out.pixels.size() < at + rowBytes)
            out.pixels.resize(std::min(allBytes, std::max(at + rowBytes, out.pixels.size() * 2)));
        uint8_t* row = out.pixels.data() + at;
        JSAMPROW rows[1] = {row};
        if (jpeg_read_scanlines(&cinfo, rows, 1) != 1) return 1;
        if (cmyk) CmykRowToBgra(row, row, out.width, cinfo.saw_Adobe_marker);
        // Rows past the end of the data would be grey: stop at the first.
        if (DataRanOut(cinfo, err)) {
            std::snprintf(err.message, sizeof err.message, "image data ends early");
            return 1;
        }
    }
    // Only a missing end-of-image marker, after every row arrived, is let
    // through.
    jpeg_finish_decompress(&cinfo);
    if (DataRanOut(cinfo, err)) {
        std::snprintf(err.message, sizeof err.message, "image data ends early");
        return 1;
    }
    return 0;
}

}  // namespace

bool JpegInfo(const uint8_t* data, size_t size, ImageInfo& info)
{
    jpeg_decompress_struct cinfo{};
    JpegError err;
    InitError(err);
    cinfo.err = &err.mgr;
    Image header;
    int r = DecodeInto(cinfo, err, data, size, header, true);
    jpeg_destroy_decompress(&cinfo);
    info.width = header.width;
    info.height = header.height;
    return r == 0;
}

bool JpegDecode(const uint8_t* data, size_t size, Image& out, std::string& error)
{
    jpeg_decompress_struct cinfo{};
    JpegError err;
    InitError(err);
    cinfo.err = &err.mgr;
    int r = DecodeInto(cinfo, err, data, size, out, false);
    jpeg_destroy_decompress(&cinfo);
    if (r == 1) error = std::string("JPEG: ") + err.message;
    if (r == 2) error = "JPEG: image too large";
    return r == 0;
}

namespace {
int EncodeInto(jpeg_compress_struct& cinfo, JpegError& err, const Image& image, int quality,
               unsigned char*& buffer, unsigned long& size)
{
    if (setjmp(err.jump)) return 1;
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(image.width);
    cinfo.image_height = JDIMENSION(image.height);
    cinfo.input_components = 4;
    cinfo.in_color_space = JCS_EXT_BGRA;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW rows[1] = {const_cast<uint8_t*>(image.pixels.data()) +
                            size_t(cinfo.next_scanline) * size_t(image.width) * 4};
        jpeg_write_scanlines(&cinfo, rows, 1);
    }
    jpeg_finish_compress(&cinfo);
    return 0;
}
}  // namespace

bool JpegEncode(const Image& image, int quality, std::vector<uint8_t>& out)
{
    jpeg_compress_struct cinfo{};
    JpegError err;
    InitError(err);
    cinfo.err = &err.mgr;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    int r = EncodeInto(cinfo, err, image, quality, buffer, size);
    jpeg_destroy_compress(&cinfo);
    if (r == 0 && buffer) out.assign(buffer, buffer + size);
    std::free(buffer);
    return r == 0 && !out.empty();
}

}  // namespace plat::imaging::detail

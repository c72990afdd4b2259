#include "clDatablocks.h"

#include "qz7memory.h"

#include <cstring>

void TDatablock::AddField(void* address, uint32_t size) { fields_.push_back(Field{0, address, size}); }

void TDatablock::AddString(std::string* address) { fields_.push_back(Field{1, address, 0}); }

std::vector<uint8_t> TDatablock::WriteTo() const
{
    TQZBytesStream out;
    for (const Field& f : fields_) {
        if (f.kind == 0) WriteStreamBuffer(out, f.address, f.size);
        else WriteStreamString(out, *static_cast<const std::string*>(f.address));
    }
    return out.Bytes();
}

void TDatablock::ReadFrom(const std::vector<uint8_t>& bytes)
{
    // Everything is read into scratch values first, so a short message
    // changes nothing.
    TQZBytesStream in(bytes.data(), bytes.size());
    std::vector<std::vector<uint8_t>> raws;
    std::vector<std::string> texts;
    for (const Field& f : fields_) {
        if (f.kind == 0) {
            std::vector<uint8_t> raw(f.size);
            if (in.Remaining() < int64_t(f.size)) throw EQZReadError("datablock: field runs past the end");
            ReadStreamBuffer(in, raw.data(), f.size);
            raws.push_back(std::move(raw));
        } else {
            texts.push_back(ReadStreamString(in));
        }
    }
    size_t r = 0, t = 0;
    for (const Field& f : fields_) {
        if (f.kind == 0) std::memcpy(f.address, raws[r++].data(), f.size);
        else *static_cast<std::string*>(f.address) = std::move(texts[t++]);
    }
}

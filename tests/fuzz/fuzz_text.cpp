// Text helpers on arbitrary bytes: nothing reads outside its text, and the
// pairs that must undo each other do.
#include "qz7text.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

int32_t Int32At(std::string_view s, size_t at)
{
    uint32_t v = 0;
    for (size_t i = 0; i < 4 && at + i < s.size(); ++i) v |= uint32_t(uint8_t(s[at + i])) << (8 * i);
    return static_cast<int32_t>(v);
}

void Check(bool ok)
{
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    const int32_t n = Int32At(text, 0);
    const int32_t m = Int32At(text, 4);
    const std::string_view sep = text.substr(0, std::min<size_t>(size, 2));

    Check(UnescapeText(EscapeText(text)) == text);
    Check(MidText(text, n, m).size() <= text.size());
    Check(LeftText(text, n).size() <= text.size() && RightText(text, n).size() <= text.size());
    Check(GetField(text, sep, n % 64).size() <= text.size());
    Check(PosNth(text, sep, n % 64) <= static_cast<int32_t>(size));
    Check(FindMatchingClose(text, '[', ']') <= static_cast<int32_t>(size));
    Check(FindMatchingCloseQuoted(text, '{', '}') <= static_cast<int32_t>(size));
    Check(StripWhitespace(text).size() <= text.size());
    Check(TrimText(text).size() <= text.size());
    for (const std::string& item : SplitCommaList(text, (n & 1) != 0)) Check(!item.empty());
    std::string head, rest;
    SplitFirst(text, ",=", (n & 2) != 0, head, rest);
    SplitAt(text, sep, head, rest);
    TextBetween(text, sep, "]");
    ExtractQuoted(text, "\"", "\"", '\\');
    ReplacePairs(text, {{std::string(sep), "ab"}, {"a", ""}});

    const TQZPoint p{n, m};
    Check(TextToPoint(PointToText(p), {0, 0}) == p);
    TextToPoint(text, {1, 2});
    HexToIntDef(text, 0);
    TextToIntDef(text, 0);
    std::vector<int32_t> ints;
    TextToIntArray(text, ints);
    int64_t bytes;
    std::memcpy(&bytes, data, std::min<size_t>(size, sizeof bytes));
    if (size < sizeof bytes) bytes = n;
    Check(!SizeToText(bytes).empty());
    return 0;
}

// Feeds arbitrary bytes to the key/value readers, writes what they built and
// reads that back: nothing may crash, hang or read outside the input, and
// text the writer made must read back whole.
#include "qz7kvdata.h"

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {
// The compact text without blanks outside strings, strings read with their
// backslash escapes: what the byte form must be.
std::string Stripped(const std::string& text)
{
    std::string out;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            out += c;
            out += text[++i];
            continue;
        }
        if (c == '"') quoted = !quoted;
        if (!quoted && (c == ' ' || c == '\t' || c == '\r' || c == '\n')) continue;
        out += c;
    }
    return out;
}

// A child named like one of the form's own words may be read back as that
// word (the form has no way to tell them apart), so its tree can change
// shape once more.
bool HasReservedName(const TQZKeyValue* node)
{
    if (node->Name() == "__value" || node->Name() == "__ancestor") return true;
    for (int32_t i = 0; i < node->ChildCount(); ++i)
        if (HasReservedName(node->GetChild(i))) return true;
    return false;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::span<const uint8_t> bytes(data, size);

    TQZKeyValue root;
    (void)root.LoadFromBytes(bytes);  // malformed input keeps what came before the fault
    std::string text = root.ToText(false);
    std::vector<uint8_t> compact = root.SaveToBytes();
    if (std::string(compact.begin(), compact.end()) != Stripped(root.ToText(true))) std::abort();

    // Whatever the writer makes reads back whole, in every layout; after one
    // trip the tree is in a shape that a further trip keeps.
    TQZKeyValue again;
    if (!again.ParseText(text)) std::abort();
    std::string text2 = again.ToText(false);
    TQZKeyValue third;
    if (!third.ParseText(text2)) std::abort();
    if (!HasReservedName(&again) && third.ToText(false) != text2) std::abort();
    TQZKeyValue compactBack;
    if (!compactBack.ParseText(root.ToText(true))) std::abort();

    TQZKeyValue fromBytes;
    if (!fromBytes.LoadFromBytes(compact)) std::abort();
    (void)fromBytes.SaveToBytes();

    TQZKeyValue lines;
    lines.ReadLines(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)lines.LinesText();
    (void)lines.ToText(true);
    return 0;
}

// Feeds arbitrary bytes to the key/value readers, writes what they built and
// reads that back: nothing may crash, hang or read outside the input, and
// text the writer made must read back whole.
#include "qz7kvdata.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// The byte form is the compact text with blanks taken out and nothing else:
// walking both, every character of the text either comes next in the bytes
// or is a blank left out.
bool OnlyBlanksDropped(const std::string& text, const std::string& bytes)
{
    size_t j = 0;
    for (char c : text) {
        if (j < bytes.size() && bytes[j] == c) ++j;
        else if (!IsBlank(c)) return false;
    }
    return j == bytes.size();
}

size_t Blanks(const std::string& s) { return size_t(std::count_if(s.begin(), s.end(), IsBlank)); }

// Every blank the byte form keeps belongs to a name or a value (each written
// at most once): a tree whose texts have none gives bytes without any.
size_t BlanksInTexts(const TQZKeyValue* node)
{
    size_t n = Blanks(node->Name()) + Blanks(node->Value());
    for (int32_t i = 0; i < node->ChildCount(); ++i) n += BlanksInTexts(node->GetChild(i));
    return n;
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
    const std::string compactText = root.ToText(true), byteText(compact.begin(), compact.end());
    if (!OnlyBlanksDropped(compactText, byteText)) std::abort();
    if (Blanks(byteText) > BlanksInTexts(&root)) std::abort();

    // Whatever the writer makes reads back whole, in every layout; after one
    // trip the tree is in a shape that a further trip keeps.
    TQZKeyValue again;
    if (!again.ParseText(text)) std::abort();
    std::string text2 = again.ToText(false);
    TQZKeyValue third;
    if (!third.ParseText(text2)) std::abort();
    if (!HasReservedName(&again) && third.ToText(false) != text2) std::abort();
    TQZKeyValue compactBack;
    if (!compactBack.ParseText(compactText)) std::abort();

    // The bytes and the compact text describe the same tree.
    TQZKeyValue fromBytes;
    if (!fromBytes.LoadFromBytes(compact)) std::abort();
    if (fromBytes.ToText(true) != compactBack.ToText(true)) std::abort();
    (void)fromBytes.SaveToBytes();

    TQZKeyValue lines;
    lines.ReadLines(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)lines.LinesText();
    (void)lines.ToText(true);
    return 0;
}

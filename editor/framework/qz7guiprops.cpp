#include "qz7guiprops.h"

#include "qz7text.h"

#include <cerrno>
#include <cstdlib>

bool TQZGUIProperty::Readable() const
{
    switch (kind) {
    case TQZPropKind::Float: return bool(getFloat);
    case TQZPropKind::String: return bool(getString);
    case TQZPropKind::Method:
    case TQZPropKind::Char: return false;
    default: return bool(getOrdinal);
    }
}

bool TQZGUIProperty::Writable() const
{
    switch (kind) {
    case TQZPropKind::Float: return bool(getFloat) && bool(setFloat);
    case TQZPropKind::String: return bool(getString) && bool(setString);
    case TQZPropKind::Method:
    case TQZPropKind::Char: return false;
    default: return bool(getOrdinal) && bool(setOrdinal);
    }
}

const TQZGUIProperty* FindProperty(const TQZGUIPropertyList& list, const std::string& name)
{
    for (const TQZGUIProperty& p : list) {
        if (SameText(p.name, name)) return &p;
    }
    return nullptr;
}

int32_t EnumValueOf(const std::vector<std::string>& names, const std::string& text)
{
    const std::string t = TrimText(text);
    for (size_t i = 0; i < names.size(); ++i) {
        if (SameText(names[i], t)) return int32_t(i);
    }
    return -1;
}

bool SetValueOf(const std::vector<std::string>& names, const std::string& text, int64_t& bits)
{
    std::string t = TrimText(text);
    if (!t.empty() && t.front() == '[') t.erase(0, 1);
    if (!t.empty() && t.back() == ']') t.pop_back();
    int64_t result = 0;
    for (const std::string& item : SplitCommaList(t, true)) {
        if (item.empty()) continue;
        int32_t i = EnumValueOf(names, item);
        if (i < 0 || i > 62) return false;
        result |= int64_t(1) << i;
    }
    bits = result;
    return true;
}

std::string SetToText(const std::vector<std::string>& names, int64_t bits)
{
    std::string out = "[";
    bool first = true;
    for (size_t i = 0; i < names.size() && i < 63; ++i) {
        if (!(bits & (int64_t(1) << i))) continue;
        if (!first) out += ',';
        out += names[i];
        first = false;
    }
    return out + "]";
}

namespace {

// Decimal (a leading blank or minus allowed, empty is 0) or "$" and
// hexadecimal digits; false for anything else or a value out of range.
bool ReadIntegerText(const std::string& text, int64_t lo, int64_t hi, int64_t& out)
{
    if (IsIntegerText(text)) {
        std::string t = TrimText(text);
        if (t.empty()) {
            out = 0;
            return lo <= 0 && 0 <= hi;
        }
        if (t == "-") return false;
        errno = 0;
        long long v = std::strtoll(t.c_str(), nullptr, 10);
        if (errno != 0 || v < lo || v > hi) return false;
        out = v;
        return true;
    }
    if (!IsHexText(text) || text.size() > 9) return false;
    uint32_t v = uint32_t(std::strtoul(text.c_str() + 1, nullptr, 16));
    // Hexadecimal is the bit pattern: $FFFFFFFF is -1 for a signed property.
    out = lo < 0 ? int64_t(int32_t(v)) : int64_t(v);
    return true;
}

}  // namespace

bool SetPropertyText(TQZGUIWindow& w, const TQZGUIProperty& p, const std::string& value)
{
    if (!p.Writable()) return false;
    int64_t v = 0;
    switch (p.kind) {
    case TQZPropKind::Integer:
        if (!ReadIntegerText(value, INT32_MIN, INT32_MAX, v)) return false;
        p.setOrdinal(w, v);
        return true;
    case TQZPropKind::Cardinal:
        if (!ReadIntegerText(value, INT32_MIN, UINT32_MAX, v)) return false;
        p.setOrdinal(w, int64_t(uint32_t(v)));
        return true;
    case TQZPropKind::Enumeration: {
        int32_t i = p.names ? EnumValueOf(*p.names, value) : -1;
        if (i < 0) return false;  // an unknown name changes nothing
        p.setOrdinal(w, i);
        return true;
    }
    case TQZPropKind::Set:
        if (!p.names || !SetValueOf(*p.names, value, v)) return false;
        p.setOrdinal(w, v);
        return true;
    case TQZPropKind::Float:
        if (TrimText(value).empty() || !IsFloatText(value)) return false;
        p.setFloat(w, TextToFloat(value));
        return true;
    case TQZPropKind::String: p.setString(w, value); return true;
    case TQZPropKind::Boolean:
        if (SameText(value, "true")) p.setOrdinal(w, 1);
        else if (SameText(value, "false")) p.setOrdinal(w, 0);
        else return false;
        return true;
    default: return false;
    }
}

std::string GetPropertyText(const TQZGUIWindow& w, const TQZGUIProperty& p)
{
    if (!p.Readable()) return "?";
    switch (p.kind) {
    case TQZPropKind::Integer: return std::to_string(int32_t(p.getOrdinal(w)));
    case TQZPropKind::Cardinal: return std::to_string(uint32_t(p.getOrdinal(w)));
    case TQZPropKind::Enumeration: {
        int64_t i = p.getOrdinal(w);
        return p.names && i >= 0 && i < int64_t(p.names->size()) ? (*p.names)[size_t(i)] : "?";
    }
    case TQZPropKind::Set: return p.names ? SetToText(*p.names, p.getOrdinal(w)) : "?";
    case TQZPropKind::Float: return FloatToTextTrim(p.getFloat(w));
    case TQZPropKind::String: return p.getString(w);
    case TQZPropKind::Boolean: return p.getOrdinal(w) ? "true" : "false";
    default: return "?";
    }
}

bool PropertyAtDefault(const TQZGUIWindow& w, const TQZGUIProperty& p)
{
    if (!p.hasDefault || !p.Readable()) return false;
    switch (p.kind) {
    case TQZPropKind::Integer:
    case TQZPropKind::Cardinal:
    case TQZPropKind::Boolean: return p.getOrdinal(w) == p.defaultValue;
    default: return false;
    }
}

namespace qz7props {
TQZGUIPropertyList Extend(const TQZGUIPropertyList& parent, TQZGUIPropertyList own)
{
    TQZGUIPropertyList all = parent;
    all.insert(all.end(), std::make_move_iterator(own.begin()), std::make_move_iterator(own.end()));
    return all;
}
}  // namespace qz7props

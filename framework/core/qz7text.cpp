// Sections, in order: searching and counting; cutting and trimming;
// fields, splitting and replacing (lines, comma lists); escaping and case;
// numbers and their text (checked and defaulted readers, points, sizes);
// the editor's additions (tokens, rectangles, lists, times, GUIDs).
#include "qz7text.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <climits>
#include <cstdlib>
#include <algorithm>
#include <ctime>

// ---------------------------------------------------------------- searching and counting
int32_t CountChar(std::string_view text, char c)
{
    int32_t n = 0;
    for (char x : text) n += x == c;
    return n;
}

int32_t PosNth(std::string_view text, std::string_view sub, int32_t n)
{
    if (n < 1 || sub.empty()) return 0;
    size_t from = 0;
    for (int32_t k = 1;; ++k) {
        size_t p = text.find(sub, from);
        if (p == std::string_view::npos) return 0;
        if (k == n) return static_cast<int32_t>(p + 1);
        from = p + 1;
    }
}

int32_t PosOfAny(std::string_view text, std::string_view set)
{
    size_t p = text.find_first_of(set);
    return p == std::string_view::npos ? 0 : static_cast<int32_t>(p + 1);
}

int32_t IndexOfText(const std::vector<std::string>& array, std::string_view text, bool caseSensitive)
{
    for (size_t i = 0; i < array.size(); ++i)
        if (caseSensitive ? array[i] == text : SameText(array[i], text)) return static_cast<int32_t>(i);
    return -1;
}

int32_t FindMatchingClose(std::string_view text, char open, char close)
{
    size_t start = text.find(open);
    if (start == std::string_view::npos) return 0;
    int depth = 0;
    for (size_t i = start; i < text.size(); ++i) {
        if (text[i] == open) ++depth;
        else if (text[i] == close && --depth == 0) return static_cast<int32_t>(i + 1);
    }
    return 0;
}

int32_t FindMatchingCloseQuoted(std::string_view text, char open, char close)
{
    size_t start = text.find(open);
    if (start == std::string_view::npos) return 0;
    int depth = 0;
    bool quoted = false;
    for (size_t i = start; i < text.size(); ++i) {
        char c = text[i];
        if (quoted) {
            if (c == '\\') ++i;
            else if (c == '"') quoted = false;
            continue;
        }
        if (c == '"') quoted = true;
        else if (c == open) ++depth;
        else if (c == close && --depth == 0) return static_cast<int32_t>(i + 1);
    }
    return 0;
}

// ---------------------------------------------------------------- cutting and trimming
std::string LeftText(std::string_view text, int32_t n)
{
    if (n <= 0) return std::string();
    return std::string(text.substr(0, static_cast<size_t>(n)));
}

std::string RightText(std::string_view text, int32_t n)
{
    if (n <= 0) return std::string();
    size_t k = std::min(text.size(), static_cast<size_t>(n));
    return std::string(text.substr(text.size() - k));
}

std::string MidText(std::string_view text, int32_t start, int32_t n)
{
    if (start < 1 || static_cast<size_t>(start) > text.size() || n == 0 || n < -1) return std::string();
    if (n == -1) return std::string(text.substr(static_cast<size_t>(start - 1)));
    return std::string(text.substr(static_cast<size_t>(start - 1), static_cast<size_t>(n)));
}

std::string RepeatText(std::string_view text, int32_t n)
{
    std::string out;
    for (int32_t i = 0; i < n; ++i) out += text;
    return out;
}

std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker)
{
    size_t s = 0;
    if (!startMarker.empty()) {
        s = text.find(startMarker);
        if (s == std::string_view::npos) return std::string();
        s += startMarker.size();
    }
    if (endMarker.empty()) return std::string(text.substr(s));
    size_t e = text.find(endMarker, s);
    if (e == std::string_view::npos) return std::string(text.substr(s));
    return std::string(text.substr(s, e - s));
}

namespace {
// First occurrence of marker at or after `from` that is not preceded by the
// escape character.
size_t FindUnescaped(std::string_view text, std::string_view marker, size_t from, char escape)
{
    for (;;) {
        size_t p = text.find(marker, from);
        if (p == std::string_view::npos || p == 0 || text[p - 1] != escape) return p;
        from = p + 1;
    }
}
}  // namespace

std::string ExtractQuoted(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                          char escape)
{
    size_t s = 0;
    if (!startMarker.empty()) {
        s = FindUnescaped(text, startMarker, 0, escape);
        if (s == std::string_view::npos) return std::string();
        s += startMarker.size();
    }
    if (endMarker.empty()) return std::string(text.substr(s));
    size_t e = FindUnescaped(text, endMarker, s, escape);
    if (e == std::string_view::npos) return std::string(text.substr(s));
    return std::string(text.substr(s, e - s));
}

std::string TrimText(std::string_view text)
{
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    return std::string(text.substr(b, e - b));
}

std::string StripWhitespace(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quoted && c == '\\' && i + 1 < text.size()) {
            // Inside a string a backslash makes the next character literal,
            // so an escaped backslash before the closing quote still closes.
            out += c;
            out += text[++i];
            continue;
        }
        if (c == '"' && (quoted || i == 0 || text[i - 1] != '\\')) quoted = !quoted;
        if (!quoted && IsBlank(c)) continue;
        out += c;
    }
    return out;
}

// ---------------------------------------------------------------- fields, splitting and replacing
std::string GetField(std::string_view text, std::string_view separator, int32_t n)
{
    if (n < 1) return std::string();
    if (separator.empty()) return n == 1 ? std::string(text) : std::string();
    size_t from = 0;
    for (int32_t k = 1;; ++k) {
        size_t p = text.find(separator, from);
        if (k == n) return std::string(text.substr(from, p == std::string_view::npos ? std::string_view::npos : p - from));
        if (p == std::string_view::npos) return std::string();
        from = p + separator.size();
    }
}

int32_t SplitAt(std::string_view text, std::string_view separator, std::string& head, std::string& tail)
{
    size_t p = separator.empty() ? std::string_view::npos : text.find(separator);
    if (p == std::string_view::npos) {
        head = std::string(text);
        tail.clear();
        return 0;
    }
    head = std::string(text.substr(0, p));
    tail = std::string(text.substr(p + separator.size()));
    return static_cast<int32_t>(p + 1);
}

void SplitFirst(std::string_view text, std::string_view separators, bool trim, std::string& head,
                std::string& rest)
{
    char quote = 0;
    size_t i = 0;
    for (; i < text.size(); ++i) {
        char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (separators.find(c) != std::string_view::npos) {
            break;
        }
    }
    head = std::string(text.substr(0, i));
    rest = i < text.size() ? std::string(text.substr(i + 1)) : std::string();
    if (trim) head = UnquoteText(TrimText(head));
}

namespace {
std::string StripOnePair(std::string_view t, char q)
{
    if (t.size() >= 2 && t.front() == q && t.back() == q) return std::string(t.substr(1, t.size() - 2));
    return std::string(t);
}

// One pair of enclosing quotes, double or single.
std::string StripOneQuotePair(std::string_view t)
{
    if (t.size() >= 2 && t.front() == t.back() && (t.front() == '"' || t.front() == '\''))
        return std::string(t.substr(1, t.size() - 2));
    return std::string(t);
}
}  // namespace

std::string UnquoteText(std::string_view text)
{
    return StripOnePair(StripOnePair(text, '"'), '\'');
}

std::vector<std::string> SplitLines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

std::vector<std::string> SplitCommaList(std::string_view text, bool trim)
{
    std::vector<std::string> out;
    char quote = 0;
    size_t start = 0;
    auto emit = [&](size_t end) {
        std::string item = StripOneQuotePair(text.substr(start, end - start));
        if (trim) item = UnquoteText(TrimText(item));
        if (!item.empty()) out.push_back(std::move(item));
    };
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ',') {
            emit(i);
            start = i + 1;
        }
    }
    emit(text.size());
    return out;
}

std::string ReplacePairs(std::string_view text, const std::vector<std::pair<std::string, std::string>>& pairs)
{
    std::string cur(text);
    for (const auto& [find, repl] : pairs) {
        if (find.empty()) continue;
        std::string out;
        size_t from = 0;
        for (;;) {
            size_t p = cur.find(find, from);
            if (p == std::string::npos) break;
            out.append(cur, from, p - from);
            out += repl;
            from = p + find.size();
        }
        out.append(cur, from, std::string::npos);
        cur.swap(out);
    }
    return cur;
}

// ---------------------------------------------------------------- escaping and case
std::string EscapeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out;
}

std::string UnescapeText(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) ++i;
        out += text[i];
    }
    return out;
}

std::string LowerText(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string UpperText(std::string_view text)
{
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

bool SameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

// ---------------------------------------------------------------- numbers and their text
bool IsBoolText(std::string_view text)
{
    std::string l = LowerText(text);
    return l == "true" || l == "false";
}

bool IsIntegerText(std::string_view text)
{
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) continue;
        if (i == 0 && (c == '-' || IsBlank(c))) continue;
        return false;
    }
    return true;
}

bool IsFloatText(std::string_view text)
{
    int dots = 0;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (std::isdigit(static_cast<unsigned char>(c))) continue;
        if (c == '.' && ++dots <= 1) continue;
        if (i == 0 && (c == '-' || IsBlank(c))) continue;
        return false;
    }
    return true;
}

int32_t TextToIntDef(std::string_view text, int32_t def)
{
    if (!IsIntegerText(text)) return def;
    std::string t = TrimText(text);
    if (t.empty() || t == "-") return def;
    errno = 0;
    long long v = std::strtoll(t.c_str(), nullptr, 10);
    if (errno != 0 || v < INT32_MIN || v > INT32_MAX) return def;
    return static_cast<int32_t>(v);
}

bool TextToIntChecked(std::string_view text, int32_t& value)
{
    size_t b = 0, e = text.size();
    while (b < e && IsBlank(text[b])) ++b;
    while (e > b && IsBlank(text[e - 1])) --e;
    bool negative = b < e && text[b] == '-';
    if (negative) ++b;
    if (b == e) return false;
    // Accumulated negative, so that INT32_MIN fits.
    int64_t v = 0;
    for (size_t i = b; i < e; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 - (text[i] - '0');
        if (v < int64_t(INT32_MIN)) return false;
    }
    if (!negative && v < -int64_t(INT32_MAX)) return false;
    value = static_cast<int32_t>(negative ? v : -v);
    return true;
}

bool TextToBoolDef(std::string_view text, bool def)
{
    if (text.empty()) return def;
    if (text[0] == 'T' || text[0] == 't') return true;
    if (text[0] == 'F' || text[0] == 'f') return false;
    return def;
}

int32_t HexToIntDef(std::string_view text, int32_t def)
{
    uint32_t value = 0;
    int shift = 0;
    bool digits = false;
    for (size_t i = text.size(); i-- > 0;) {
        char c = text[i];
        if (c == '$' || c == 'x' || c == 'X' || c == '#') break;
        int d;
        if (c >= '0' && c <= '9') d = c - '0';
        else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
        else return def;
        digits = true;
        // Leading zeros beyond 32 bits change nothing; other digits overflow.
        if (shift >= 32) {
            if (d != 0) return def;
            continue;
        }
        value |= uint32_t(d) << shift;
        shift += 4;
    }
    // A text without a single digit ("", "$", "0x") is not a number.
    return digits ? static_cast<int32_t>(value) : def;
}

TQZPoint TextToPoint(std::string_view text, TQZPoint def)
{
    size_t comma = text.find(',');
    if (text.empty() || comma == std::string_view::npos) return def;
    auto readInt = [](std::string_view s, bool skipLeading) -> int32_t {
        size_t i = 0;
        if (skipLeading)
            while (i < s.size() && !std::isdigit(static_cast<unsigned char>(s[i])) && s[i] != '-') ++i;
        else
            while (i < s.size() && IsBlank(s[i])) ++i;
        bool neg = false;
        if (i < s.size() && s[i] == '-') {
            neg = true;
            ++i;
        }
        // Too many digits saturate; a negative value reaches INT32_MIN.
        const int64_t limit = neg ? int64_t(INT32_MAX) + 1 : INT32_MAX;
        int64_t v = 0;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])) && v < limit)
            v = v * 10 + (s[i++] - '0');
        if (v > limit) v = limit;
        return static_cast<int32_t>(neg ? -v : v);
    };
    return {readInt(text.substr(0, comma), true), readInt(text.substr(comma + 1), false)};
}

std::string PointToText(TQZPoint p)
{
    return "[" + std::to_string(p.x) + "," + std::to_string(p.y) + "]";
}

void TextToIntArray(std::string_view text, std::vector<int32_t>& array)
{
    // An empty list holds no items (not one zero).
    if (TrimText(text).empty()) return;
    size_t from = 0;
    for (;;) {
        size_t p = text.find(',', from);
        std::string item = TrimText(text.substr(from, p == std::string_view::npos ? std::string_view::npos : p - from));
        array.push_back(TextToIntDef(item, 0));
        if (p == std::string_view::npos) break;
        from = p + 1;
    }
}

std::string SizeToText(int64_t bytes)
{
    static const char* units[] = {"", "K", "M", "G", "T"};
    int divisions = 0;
    int64_t whole = bytes, rem = 0;
    while (whole > 1023) {
        rem = whole % 1024;
        whole /= 1024;
        ++divisions;
    }
    std::string out = std::to_string(whole);
    int tenth = static_cast<int>(rem * 10 / 1024);
    if (divisions > 0 && out.size() <= 3 && tenth != 0) out += "." + std::to_string(tenth);
    if (divisions <= 4) out += units[divisions];
    else out += "e+" + std::to_string(divisions);
    return out;
}

// ---------------------------------------------------------------- the editor's additions
int32_t TextToInt(std::string_view text)
{
    return TextToIntDef(text, 0);
}

float TextToFloat(std::string_view text)
{
    std::string t = TrimText(text);
    if (t.empty() || !IsFloatText(t)) return 0;
    char* end = nullptr;
    float v = std::strtof(t.c_str(), &end);
    return std::isfinite(v) ? v : 0;
}

float StepToward(float value, float target, float step)
{
    return value < target ? std::min(value + step, target) : std::max(value - step, target);
}

float FloatMod(float divisor, float value)
{
    if (divisor == 0) return value;
    return value - std::trunc(value / divisor) * divisor;
}

bool MatchText(std::string_view text, const std::vector<std::string>& list, int32_t lastIndex, bool caseSensitive)
{
    const int32_t last = std::min(lastIndex, int32_t(list.size()) - 1);
    for (int32_t i = 0; i <= last; ++i) {
        if (caseSensitive ? text == list[size_t(i)] : SameText(text, list[size_t(i)])) return true;
    }
    return false;
}

std::string FloatToTextTrim(float x)
{
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%.7f", double(x));
    std::string t = buffer;
    if (t.find('.') == std::string::npos) return t;
    while (!t.empty() && t.back() == '0') t.pop_back();
    if (!t.empty() && t.back() == '.') t.pop_back();
    if (t == "-0") t = "0";
    return t;
}

std::string PadRight(std::string_view text, int32_t length)
{
    std::string t(text);
    if (int32_t(t.size()) < length) t.append(size_t(length) - t.size(), ' ');
    return t;
}

std::string Token(std::string_view text, char separator, int32_t n)
{
    if (n < 1) return {};
    size_t from = 0;
    for (int32_t field = 1;; ++field) {
        size_t end = text.find(separator, from);
        if (field == n) return std::string(text.substr(from, end == std::string_view::npos ? end : end - from));
        if (end == std::string_view::npos) return {};
        from = end + 1;
    }
}

bool IsHexText(std::string_view text)
{
    if (text.size() < 2 || text[0] != '$') return false;
    return std::all_of(text.begin() + 1, text.end(), [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); });
}

TQZRect TextToRect(std::string_view text, const TQZRect& def)
{
    size_t cut = text.find("]-[");
    if (cut == std::string_view::npos) return def;
    TQZPoint a = TextToPoint(text.substr(0, cut + 1), {def.left, def.top});
    TQZPoint b = TextToPoint(text.substr(cut + 2), {def.right, def.bottom});
    return {a.x, a.y, b.x, b.y};
}

std::string RectToText(const TQZRect& r)
{
    return PointToText({r.left, r.top}) + "-" + PointToText({r.right, r.bottom});
}

std::string IntListToText(const std::vector<int32_t>& list)
{
    std::string out;
    for (size_t i = 0; i < list.size(); ++i) {
        if (i > 0) out += ',';
        out += std::to_string(list[i]);
    }
    return out;
}

int64_t SecondsSince2024(int64_t unixSeconds)
{
    constexpr int64_t kStart2024 = 1704067200;  // 2024-01-01 00:00 as a Unix time
    const std::time_t t = std::time_t(unixSeconds);
    std::tm local{};
    if (!localtime_r(&t, &local)) return unixSeconds - kStart2024;
    // The local date and time counted as if they were UTC: the serial's view.
    return int64_t(timegm(&local)) - kStart2024;
}

int64_t SecondsSince2024() { return SecondsSince2024(int64_t(std::time(nullptr))); }

std::array<uint8_t, 16> GuidFromUInt64(uint64_t value, uint8_t fill)
{
    std::array<uint8_t, 16> guid;
    guid.fill(fill);
    for (int i = 0; i < 8; ++i) guid[size_t(i)] = uint8_t(value >> (8 * i));
    return guid;
}

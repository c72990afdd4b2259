// Helpers on 8-bit texts: searching, cutting, splitting, quoting, escaping,
// recognising and converting numbers, Booleans and points. Positions are
// 1-based; a blank is tab, LF, CR or space.
#pragma once

#include "qz7core.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

int32_t CountChar(std::string_view text, char c);
int32_t PosNth(std::string_view text, std::string_view sub, int32_t n);
int32_t PosOfAny(std::string_view text, std::string_view set);
int32_t IndexOfText(const std::vector<std::string>& array, std::string_view text, bool caseSensitive);
// Position of the close character matching the first open one, nesting
// counted, quotes not looked at; 0 when none.
int32_t FindMatchingClose(std::string_view text, char open, char close);
// As FindMatchingClose, but brackets inside double-quoted strings (with their
// backslash escapes) do not count.
int32_t FindMatchingCloseQuoted(std::string_view text, char open, char close);
std::string LeftText(std::string_view text, int32_t n);
std::string RightText(std::string_view text, int32_t n);
std::string MidText(std::string_view text, int32_t start, int32_t n);
std::string RepeatText(std::string_view text, int32_t n);
std::string TextBetween(std::string_view text, std::string_view startMarker, std::string_view endMarker);
std::string ExtractQuoted(std::string_view text, std::string_view startMarker, std::string_view endMarker,
                          char escape);
std::string TrimText(std::string_view text);
std::string StripWhitespace(std::string_view text);

std::string GetField(std::string_view text, std::string_view separator, int32_t n);
int32_t SplitAt(std::string_view text, std::string_view separator, std::string& head, std::string& tail);
void SplitFirst(std::string_view text, std::string_view separators, bool trim, std::string& head,
                std::string& rest);
std::vector<std::string> SplitCommaList(std::string_view text, bool trim);
// The lines of a text, ended by LF or CR LF, without their ends; a last line
// without an end counts, a final end adds no empty line.
std::vector<std::string> SplitLines(std::string_view text);
std::string UnquoteText(std::string_view text);
std::string ReplacePairs(std::string_view text, const std::vector<std::pair<std::string, std::string>>& pairs);

std::string EscapeText(std::string_view text);
std::string UnescapeText(std::string_view text);

std::string LowerText(std::string_view text);
std::string UpperText(std::string_view text);
bool SameText(std::string_view a, std::string_view b);

bool IsBoolText(std::string_view text);
bool IsIntegerText(std::string_view text);
bool IsFloatText(std::string_view text);
int32_t TextToIntDef(std::string_view text, int32_t def);
// True when the text, blanks around it aside, is a decimal whole number that
// fits 32 bits; the value is left alone otherwise.
[[nodiscard]] bool TextToIntChecked(std::string_view text, int32_t& value);
bool TextToBoolDef(std::string_view text, bool def);
int32_t HexToIntDef(std::string_view text, int32_t def);
TQZPoint TextToPoint(std::string_view text, TQZPoint def);
std::string PointToText(TQZPoint p);
void TextToIntArray(std::string_view text, std::vector<int32_t>& array);
std::string SizeToText(int64_t bytes);

// ---------------------------------------------------------------- the editor's additions
// Integer value of a text; 0 when it is not a number.
int32_t TextToInt(std::string_view text);
// Single-precision value of a decimal text; 0 when it is not one.
float TextToFloat(std::string_view text);
// One step from value toward target, never past it.
float StepToward(float value, float target, float step);
// value - trunc(value / divisor) * divisor; value itself for a divisor of 0.
float FloatMod(float divisor, float value);
// The text equals one of the list's entries 0..lastIndex.
bool MatchText(std::string_view text, const std::vector<std::string>& list, int32_t lastIndex, bool caseSensitive);
// Seven decimals, trailing zeros and a bare point removed: 1.5, 2.
std::string FloatToTextTrim(float x);
std::string PadRight(std::string_view text, int32_t length);
// The n-th field (from 1) split at the separator; empty when there are fewer.
std::string Token(std::string_view text, char separator, int32_t n);
// "$" then at least one hexadecimal digit, nothing else.
bool IsHexText(std::string_view text);
// Rectangle text: top-left point text, "-", bottom-right point text, as
// [10,20]-[110,70]. Text without "]-[" gives the default.
TQZRect TextToRect(std::string_view text, const TQZRect& def);
std::string RectToText(const TQZRect& r);
std::string IntListToText(const std::vector<int32_t>& list);
// Seconds from 2024-01-01 00:00 to a Unix time, both on the local clock
// (the date-time serial's count: days since 1899-12-30 less 45292).
int64_t SecondsSince2024(int64_t unixSeconds);
int64_t SecondsSince2024();
// A 16-byte identifier of the fill value whose first 8 bytes are the value,
// little-endian.
std::array<uint8_t, 16> GuidFromUInt64(uint64_t value, uint8_t fill = 0);

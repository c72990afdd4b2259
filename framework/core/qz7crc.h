// CRC-32 with the reflected polynomial 0xEDB88320, one byte at a time. The
// caller chooses the start value and whether the result is inverted; the
// start value is never inverted here, so calls chain by passing the previous
// (uninverted) result as the next start.
#pragma once

#include <cstdint>
#include <string>

// Standard CRC-32 of a whole buffer: start 0xFFFFFFFF, invert set.
constexpr uint32_t QZCRC_START = 0xFFFFFFFFu;

// length bytes from buffer; a null buffer or length <= 0 returns start as is.
uint32_t CRC32Update(const void* buffer, int32_t length, uint32_t start, bool invert);
// Bytes 0 to last inclusive, never inverted; last < 0 returns start.
uint32_t CRC32UpdateToIndex(const void* buffer, int32_t last, uint32_t start);
// The bytes of 32-bit items 0 to last inclusive, little-endian, never inverted.
uint32_t CRC32UpdateDWords(const uint32_t* items, int32_t last, uint32_t start);
// The bytes of the text; an empty text returns start as is.
uint32_t CRC32String(const std::string& text, uint32_t start, bool invert);

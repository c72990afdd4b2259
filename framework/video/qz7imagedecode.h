// Decodes an image file into 32-bit pixels for the GDI bitmap surfaces,
// which cannot use the device's loaders.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

// Raised for a file that cannot be read or decoded; carries the reason.
class EQZImageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Rows from the top, each pixel the bytes B, G, R, A (an ARGB value read as
// a little-endian 32-bit word), stride width x 4. A missing, unreadable or
// undecodable file raises EQZImageError; true otherwise.
bool DecodeImage(const std::string& fileName, int32_t& width, int32_t& height, std::vector<uint8_t>& pixels);

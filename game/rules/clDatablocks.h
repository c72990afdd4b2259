// Binds a list of an object's own variables to a byte form: raw fields as
// they lie in memory (little-endian at their declared width) and strings as
// a 32-bit length and the bytes. No tags, no overall length, no version.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TDatablock {
public:
    void AddField(void* address, uint32_t size);
    void AddString(std::string* address);

    std::vector<uint8_t> WriteTo() const;
    // Fills every variable in order. Raises EQZReadError, with every variable
    // left as it was, when the bytes run out or a length exceeds what is left.
    void ReadFrom(const std::vector<uint8_t>& bytes);

private:
    struct Field {
        int32_t kind = 0;  // 0 raw bytes, 1 string
        void* address = nullptr;
        uint32_t size = 0;
    };
    std::vector<Field> fields_;
};

// Characters of keys on a US layout, as the framework's keyboard translates
// them.
#include "osKeys.h"

namespace plat::os {
namespace {
struct SymbolKey {
    uint8_t key;
    char plain;
    char shifted;
};
constexpr SymbolKey kSymbols[] = {
    {kVkOem1, ';', ':'},   {kVkOemPlus, '=', '+'},   {kVkOemComma, ',', '<'},
    {kVkOemMinus, '-', '_'}, {kVkOemPeriod, '.', '>'}, {kVkOem2, '/', '?'},
    {kVkOem3, '`', '~'},   {kVkOem4, '[', '{'},      {kVkOem5, '\\', '|'},
    {kVkOem6, ']', '}'},   {kVkOem7, '\'', '"'},     {kVkMultiply, '*', '*'},
    {kVkAdd, '+', '+'},    {kVkSubtract, '-', '-'},  {kVkDecimal, '.', '.'},
    {kVkDivide, '/', '/'}, {kVkSpace, ' ', ' '},
};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";
}  // namespace

uint8_t VirtualKeyToChar(uint8_t key, bool shift, bool ctrl)
{
    if (key >= kVkA && key <= kVkA + 25) {
        // Ctrl with a letter gives its control character, as on the desktop.
        if (ctrl) return uint8_t(key - kVkA + 1);
        return shift ? key : uint8_t(key + 0x20);
    }
    switch (key) {
    case kVkBack: return 0x08;
    case kVkTab: return ctrl ? 0 : 0x09;
    case kVkReturn: return ctrl ? 0x0A : 0x0D;
    case kVkEscape: return 0x1B;
    default: break;
    }
    if (ctrl) return 0;
    if (key >= kVk0 && key <= kVk0 + 9) {
        return shift ? uint8_t(kShiftedDigits[key - kVk0]) : key;
    }
    for (const SymbolKey& s : kSymbols) {
        if (s.key == key) return uint8_t(shift ? s.shifted : s.plain);
    }
    return 0;
}

}  // namespace plat::os

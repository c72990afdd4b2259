// Virtual-key codes: the numbers the framework's keyboard works with.
#pragma once
#include <cstdint>

namespace plat::os {

inline constexpr uint8_t kVkBack = 0x08;
inline constexpr uint8_t kVkTab = 0x09;
inline constexpr uint8_t kVkReturn = 0x0D;
inline constexpr uint8_t kVkShift = 0x10;
inline constexpr uint8_t kVkControl = 0x11;
inline constexpr uint8_t kVkMenu = 0x12;  // Alt
inline constexpr uint8_t kVkPause = 0x13;
inline constexpr uint8_t kVkCapital = 0x14;
inline constexpr uint8_t kVkEscape = 0x1B;
inline constexpr uint8_t kVkSpace = 0x20;
inline constexpr uint8_t kVkPrior = 0x21;  // Page Up
inline constexpr uint8_t kVkNext = 0x22;   // Page Down
inline constexpr uint8_t kVkEnd = 0x23;
inline constexpr uint8_t kVkHome = 0x24;
inline constexpr uint8_t kVkLeft = 0x25;
inline constexpr uint8_t kVkUp = 0x26;
inline constexpr uint8_t kVkRight = 0x27;
inline constexpr uint8_t kVkDown = 0x28;
inline constexpr uint8_t kVkSnapshot = 0x2C;  // Print Screen
inline constexpr uint8_t kVkInsert = 0x2D;
inline constexpr uint8_t kVkDelete = 0x2E;
inline constexpr uint8_t kVk0 = 0x30;  // digits 0x30-0x39, letters 0x41-0x5A
inline constexpr uint8_t kVkA = 0x41;
inline constexpr uint8_t kVkLeftWin = 0x5B;
inline constexpr uint8_t kVkRightWin = 0x5C;
inline constexpr uint8_t kVkApps = 0x5D;
inline constexpr uint8_t kVkSleep = 0x5F;
inline constexpr uint8_t kVkNumpad0 = 0x60;  // to 0x69
inline constexpr uint8_t kVkMultiply = 0x6A;
inline constexpr uint8_t kVkAdd = 0x6B;
inline constexpr uint8_t kVkSubtract = 0x6D;
inline constexpr uint8_t kVkDecimal = 0x6E;
inline constexpr uint8_t kVkDivide = 0x6F;
inline constexpr uint8_t kVkF1 = 0x70;  // to F24 = 0x87
inline constexpr uint8_t kVkF4 = 0x73;
inline constexpr uint8_t kVkF10 = 0x79;
inline constexpr uint8_t kVkF12 = 0x7B;
inline constexpr uint8_t kVkNumLock = 0x90;
inline constexpr uint8_t kVkScroll = 0x91;
inline constexpr uint8_t kVkLeftShift = 0xA0;
inline constexpr uint8_t kVkRightShift = 0xA1;
inline constexpr uint8_t kVkLeftControl = 0xA2;
inline constexpr uint8_t kVkRightControl = 0xA3;
inline constexpr uint8_t kVkLeftMenu = 0xA4;
inline constexpr uint8_t kVkRightMenu = 0xA5;
inline constexpr uint8_t kVkOem1 = 0xBA;       // ;:
inline constexpr uint8_t kVkOemPlus = 0xBB;    // =+
inline constexpr uint8_t kVkOemComma = 0xBC;   // ,<
inline constexpr uint8_t kVkOemMinus = 0xBD;   // -_
inline constexpr uint8_t kVkOemPeriod = 0xBE;  // .>
inline constexpr uint8_t kVkOem2 = 0xBF;       // /?
inline constexpr uint8_t kVkOem3 = 0xC0;       // `~
inline constexpr uint8_t kVkOem4 = 0xDB;       // [{
inline constexpr uint8_t kVkOem5 = 0xDC;       // \|
inline constexpr uint8_t kVkOem6 = 0xDD;       // ]}
inline constexpr uint8_t kVkOem7 = 0xDE;       // '"

// The character a key gives on a US layout with the modifiers given; 0 when
// it gives none.
uint8_t VirtualKeyToChar(uint8_t virtualKey, bool shift, bool ctrl);

}  // namespace plat::os

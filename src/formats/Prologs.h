#pragma once

#include <cstdint>

// Every object of the calculators starts with its prolog: the ROM address of
// the code of its type, 5 nibbles, least significant first (NibbleField gives
// the nibble text). The editor, which writes pictures, strings and the
// command-line wrapper itself, and the calculator library, which reads and
// writes every object, take them from here.
namespace Prolog {
constexpr std::uint32_t SystemBinary = 0x02911;
constexpr std::uint32_t Integer = 0x02614; // the 49 family's exact integer
constexpr std::uint32_t Real = 0x02933;
constexpr std::uint32_t LongReal = 0x02955;
constexpr std::uint32_t Complex = 0x02977;
constexpr std::uint32_t LongComplex = 0x0299D;
constexpr std::uint32_t Character = 0x029BF;
constexpr std::uint32_t Array = 0x029E8;
constexpr std::uint32_t LinkedArray = 0x02A0A;
constexpr std::uint32_t String = 0x02A2C;
constexpr std::uint32_t Binary = 0x02A4E;
constexpr std::uint32_t List = 0x02A74;
constexpr std::uint32_t Directory = 0x02A96;
constexpr std::uint32_t Algebraic = 0x02AB8;
constexpr std::uint32_t Unit = 0x02ADA;
constexpr std::uint32_t Tagged = 0x02AFC;
constexpr std::uint32_t Grob = 0x02B1E;
constexpr std::uint32_t Library = 0x02B40;
constexpr std::uint32_t Backup = 0x02B62;
constexpr std::uint32_t LibraryData = 0x02B88;
constexpr std::uint32_t Program = 0x02D9D;
constexpr std::uint32_t Code = 0x02DCC;
constexpr std::uint32_t Global = 0x02E48;
constexpr std::uint32_t Local = 0x02E6D;
constexpr std::uint32_t Xlib = 0x02E92;
constexpr std::uint32_t Semi = 0x0312B; // end of a program, list or algebraic
} // namespace Prolog

// The editor's command-line wrapper is a program that holds the text as a
// string, then the ROM address of the code that compiles and runs a string as
// ENTER does, then, when the result is to run, the address of the code that
// evaluates what the line left. The addresses differ between the 48 series
// and the 49 family.
struct WrapperPointers
{
    std::uint32_t compile;
    std::uint32_t run;
};
constexpr WrapperPointers Wrapper48{0x1CB26, 0x1A3BE};
constexpr WrapperPointers Wrapper49{0x3BBD9, 0x395AC};

#pragma once
// The 8-bit code pages the windows can show a document in (see TextCodec.h).

#include <array>

namespace velkar::codepages {

struct CodePageTable {
    const char* name;                // as the character-set detector names it: "WINDOWS-1253"
    std::array<char16_t, 128> upper; // characters of the bytes 0x80..0xFF; 0 = undefined
};

extern const std::array<CodePageTable, 32> kTables;

} // namespace velkar::codepages

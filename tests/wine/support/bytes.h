// bytes.h: little-endian byte writers for the files the tests make (bitmaps, AVI chunks).
//   test::Put16, test::Put32.
#pragma once

#include <cstdint>
#include <vector>

namespace test {

inline void Put16(std::vector<unsigned char>& b, unsigned v)
{
    b.push_back(static_cast<unsigned char>(v & 0xFF));
    b.push_back(static_cast<unsigned char>(v >> 8 & 0xFF));
}

inline void Put32(std::vector<unsigned char>& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace test

// The shortest decimal text of a double that reads back as the same double, laid out as
// std::to_chars(first, last, double) lays it out: fixed or scientific, whichever is shorter
// (fixed on a tie), "1e+20", "1.5e-07", "-0", "inf", "-inf", "nan", "-nan". Written here with
// a small exact integer arithmetic so that the library does not carry the standard library's
// large digit tables, and so that no C library's printf takes part.
#pragma once

#include <stddef.h>

namespace ramps {

// Longest text ShortestDouble writes ("-2.2250738585072014e-308" is 24 characters).
constexpr size_t kShortestDoubleMax = 32;

// Writes the text into out (at least kShortestDoubleMax bytes, no terminating zero) and returns
// its length.
size_t ShortestDouble(double v, char* out);

}  // namespace ramps

#include "scan/line_numbers.h"

#include <bit>
#include <cstring>

#include "scan/cursor.h"

namespace pirvex {
namespace {

// The CR bytes in [from, to), eight bytes a step: a check counts over every
// source once more.
std::uint32_t countLineEnds(const char* from, const char* to) {
  constexpr std::uint64_t Lows = 0x7F7F7F7F7F7F7F7FULL;
  constexpr std::uint64_t Ones = 0x0101010101010101ULL;
  std::uint32_t count = 0;
  if constexpr (std::endian::native == std::endian::little) {
    while (to - from >= 8) {
      // Each byte of `found` counts the CRs at its place, up to 255 words
      // at a time; then their sum is gathered in the top byte by a
      // multiplication.
      std::uint64_t found = 0;
      for (int words = 0; words < 255 && to - from >= 8; ++words, from += 8) {
        std::uint64_t word;
        std::memcpy(&word, from, sizeof word);
        // A byte of `other` is zero exactly where the byte is CR, and only
        // such a byte keeps its high bit clear in the sum.
        const std::uint64_t other = word ^ (Ones * static_cast<unsigned char>(CR));
        found += ~(((other & Lows) + Lows) | other | Lows) >> 7;
      }
      count += static_cast<std::uint32_t>(((found & 0x00FF00FF00FF00FFULL) +
                                           ((found >> 8) & 0x00FF00FF00FF00FFULL)) *
                                              0x0001000100010001ULL >>
                                          48);
    }
  }
  for (; from < to; ++from) count += *from == CR;
  return count;
}

}  // namespace

std::uint32_t LineNumbers::of(const char* position) {
  if (position >= counted_)
    line_ += countLineEnds(counted_, position);
  else
    line_ -= countLineEnds(position, counted_);
  counted_ = position;
  return line_;
}

}  // namespace pirvex

// Byte-text helpers that every layer shares. Texts are 8-bit and carry no
// character set; only the ASCII letters a-z and A-Z have a case.
#pragma once

#include <cstddef>
#include <string_view>

namespace pirvex {

// The text up to its first zero byte, as a system call would read it.
constexpr std::string_view untilNul(std::string_view text) {
  return text.substr(0, text.find('\0'));
}

// The byte with a-z turned into A-Z; every other byte, 128 and up included,
// stays as it is.
constexpr unsigned char upperAscii(unsigned char byte) {
  return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - ('a' - 'A')) : byte;
}
constexpr unsigned char upperAscii(char byte) {
  return upperAscii(static_cast<unsigned char>(byte));
}

// "\" and "/" both separate the directories of a path, on every system.
constexpr bool isPathSeparator(char c) { return c == '\\' || c == '/'; }

constexpr bool isAsciiLetter(unsigned char byte) {
  return upperAscii(byte) >= 'A' && upperAscii(byte) <= 'Z';
}

constexpr bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (upperAscii(a[i]) != upperAscii(b[i])) return false;
  return true;
}

}  // namespace pirvex

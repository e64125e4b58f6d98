// The names of a see-also list as they stand on a page: item names and the
// separator runs between them.
#pragma once

#include <cstdint>
#include <string_view>

#include "page/fragments.h"
#include "scan/cursor.h"

namespace pirvex {

// A list ends at "</UL", the list end without the ">" that closes its tag.
inline constexpr std::string_view SeeAlsoListEnd = FragListEnd.substr(0, FragListEnd.size() - 1);

// The bytes that separate the names of a see-also list.
inline bool isItemSeparator(char c) {
  return c == CR || c == LF || c == '\t' || c == ',' || c == ' ';
}

// The bytes up to the first separator or "<".
[[nodiscard]] std::uint32_t itemNameLength(const char* position, std::uint32_t remaining);

// Separators and whole tags ("<" through ">") up to the next name, the
// list's end ("</UL") or the end of the text.
[[nodiscard]] std::uint32_t separatorRun(const char* position, std::uint32_t remaining);

}  // namespace pirvex

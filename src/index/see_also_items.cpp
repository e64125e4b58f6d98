#include "index/see_also_items.h"

#include <string_view>


namespace pirvex {
namespace {

constexpr char TagStart = '<';
constexpr char TagEnd = '>';

bool isItemEnd(char c) { return isItemSeparator(c) || c == TagStart; }

}  // namespace

std::uint32_t itemNameLength(const char* position, std::uint32_t remaining) {
  std::uint32_t length = 0;
  while (length < remaining && !isItemEnd(position[length])) ++length;
  return length;
}

std::uint32_t separatorRun(const char* position, std::uint32_t remaining) {
  std::uint32_t length = 0;
  while (length < remaining) {
    char c = position[length];
    if (isItemSeparator(c)) {
      ++length;
      continue;
    }
    if (c != TagStart || std::string_view(position + length, remaining - length).starts_with(SeeAlsoListEnd))
      break;
    while (length < remaining && position[length] != TagEnd) ++length;
    if (length < remaining) ++length;  // the ">"
  }
  return length;
}

}  // namespace pirvex

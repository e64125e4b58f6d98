#include "scan/line_numbers.h"

#include <algorithm>

#include "scan/cursor.h"

namespace pirvex {

std::uint32_t LineNumbers::of(const char* position) {
  if (position >= counted_) {
    line_ += static_cast<std::uint32_t>(std::count(counted_, position, CR));
  } else {
    line_ -= static_cast<std::uint32_t>(std::count(position, counted_, CR));
  }
  counted_ = position;
  return line_;
}

}  // namespace pirvex

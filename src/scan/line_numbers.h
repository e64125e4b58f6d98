// Where a byte of a source stands as an editor shows it: the number of its
// line, counted from 1, lines ending as the scanner ends them (at a CR).
// Counted on from the last place asked for, so that a pass that asks in
// the order of its lines reads each byte once.
#pragma once

#include <cstdint>

namespace pirvex {

class LineNumbers {
 public:
  LineNumbers() = default;
  explicit LineNumbers(const char* text) : counted_(text) {}

  // The line that holds `position`, a byte of the same text.
  std::uint32_t of(const char* position);

 private:
  const char* counted_ = nullptr;  // the start of line `line_`, or a byte of it
  std::uint32_t line_ = 1;
};

}  // namespace pirvex

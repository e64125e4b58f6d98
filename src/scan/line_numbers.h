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
  // The pass went from the start of a line at `from` to `to`, past one line
  // end (or to the text's end): where `from` is the place counted to, `to`
  // is now, without a count.
  void passed(const char* from, const char* to) {
    if (from != counted_ || to == from) return;
    counted_ = to;
    // A line end passed is a CR, or a CR and the LF after it; a last line
    // without one ends at the text's end.
    if (to[-1] == '\r' || (to[-1] == '\n' && to - from >= 2 && to[-2] == '\r')) ++line_;
  }

 private:
  const char* counted_ = nullptr;  // the start of line `line_`, or a byte of it
  std::uint32_t line_ = 1;
};

}  // namespace pirvex

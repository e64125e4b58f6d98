// A unified diff of two texts for test failure messages: lines split at
// "\n", three lines of context, and every byte that a terminal would hide or
// garble (CR, tab, NUL, other control bytes, bytes from 128 up) written as an
// escape, so that "\r\n" and "\n" or a tab and a space never look alike.
#pragma once

#include <string>
#include <string_view>

namespace pirvex::testing {

// The line with CR as "\r", tab as "\t", NUL as "\0" and every other control
// byte or byte from 128 up as "\xHH".
std::string visible(std::string_view line);

// Empty when the texts are equal; otherwise "--- expectedName", "+++
// actualName" and the hunks. A last line without "\n" is followed by
// "\ No newline at end of file".
std::string unifiedDiff(std::string_view expected, std::string_view actual,
                        std::string_view expectedName = "expected",
                        std::string_view actualName = "actual");

}  // namespace pirvex::testing

// The command line: the program's own name, options "-p" (either case,
// before or after the name; other letters are ignored) and one source name,
// which may stand in double quotes.
#pragma once

#include <cstddef>
#include <string_view>

namespace pirvex {

struct CommandLine {
  std::string_view name;         // quotes excluded
  std::size_t afterLastDot = 0;  // offset in `name` after its last ".", 0 if none
  bool publicOnly = false;
};

// False when the line names no file.
[[nodiscard]] bool parseCommandLine(std::string_view line, CommandLine& result);

}  // namespace pirvex

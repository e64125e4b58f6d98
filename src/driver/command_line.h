// The command line: the program's own name, options before and after one
// source name, which may stand in double quotes. A short option is "-" and
// one letter ("-p" in either case; other letters are ignored); a long
// option is "--" and a word up to the next blank, its value after "=" in
// the same word, in double quotes where it holds blanks.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "site/text.h"

namespace pirvex {

struct CommandLine {
  std::string_view name;         // quotes excluded
  std::size_t afterLastDot = 0;  // offset in `name` after its last ".", 0 if none
  bool publicOnly = false;
  // Long options.
  bool help = false;
  bool version = false;
  bool lenient = false;
  bool html5 = false;
  site::Encoding encoding = site::Encoding::Automatic;  // --encoding, for the HTML5 site
  std::vector<std::string_view> includeDirectories;  // in the order given, quotes excluded
  std::vector<std::string_view> modulePatterns;      // --module, in the order given
  bool comments = false;                             // plain ";" comments document procedures
  std::vector<std::string_view> procedureMacros;     // --proc-macro: words that declare one
  bool check = false;                                // findings reported, and fail the run
  // The first long option that is not pirVex's, as given, without its
  // value when the name itself is unknown.
  std::string_view unknownOption;
};

// False when the line names no file.
[[nodiscard]] bool parseCommandLine(std::string_view line, CommandLine& result);

}  // namespace pirvex

// The pass over the main source and, one inside the other, over every file
// it includes.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "driver/run_state.h"

namespace pirvex {

// Reads the current context's source whole, from `opened` where the file is
// open already, and walks it line by line, following its includes; false
// when the file is empty or cannot be opened.
[[nodiscard]] bool processSourceFile(RunState& run, platform::File opened = platform::NoFile);

// The console line of a source that cannot be opened, named `name`.
void reportCannotOpen(RunState& run, std::string_view name);

// Documents the modules that the patterns name, pattern by pattern, each
// with the pass a main source gets: after the main source's pass, before the
// index phase.
void documentModules(RunState& run, const std::vector<std::string_view>& patterns);

// Reads the current context's source whole, from `opened` where the file
// is open already (the read closes it); false, with the console line for a
// file that cannot be opened, when there is nothing to walk.
[[nodiscard]] bool readSource(RunState& run, platform::File opened = platform::NoFile);

// For an INCLUDE line at the Cursor: saves the including file's state,
// makes the included file current and gives true with the Cursor at its
// text. False, with everything as it was, when the line is no directive or
// the file is in work already, cannot be had or gives nothing.
[[nodiscard]] bool enterInclude(RunState& run, Cursor& cursor);

// At the end of an included file: makes the including file current again,
// with the Cursor at its INCLUDE line. False at the end of the main source.
[[nodiscard]] bool leaveInclude(RunState& run, Cursor& cursor);

// The page path of an included file, formed from its name: the first "." of
// a ".." pair becomes BackLinks, every other "." becomes "_", then ".HTM".
std::string includedPagePath(std::string_view name);

}  // namespace pirvex

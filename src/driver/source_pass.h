// The pass over one source file, and the recursion into included files.
#pragma once

#include <string>
#include <string_view>

#include "driver/run_state.h"

namespace pirvex {

// Reads the current context's source whole and walks it line by line; false
// when the file is empty or cannot be opened.
[[nodiscard]] bool processSourceFile(RunState& run);

// Follows the INCLUDE directive on the code line at the Cursor, if it is
// one, with the including file's state saved around the included pass.
void followInclude(RunState& run, Cursor cursor);

// The page path of an included file, formed from its name: the first "." of
// a ".." pair becomes BackLinks, every other "." becomes "_", then ".HTM".
std::string includedPagePath(std::string_view name);

}  // namespace pirvex

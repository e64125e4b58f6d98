// The heading that opens every entry on a page, and the styled heading
// tables that "@CONFIG-TAB:" lines switch on.
#pragma once

#include <string_view>

#include "driver/run_state.h"

namespace pirvex {

// Takes an "@CONFIG-TAB:" documentation line: reads its words into the
// ConfigTab, moves the Cursor to the next line and gives true.
bool readConfigTab(RunState& run, Cursor& cursor);
void writeSeparator(RunState& run);
void writeConfigHead(RunState& run, std::string_view name);
// One "../" for every separator of the current page path, to `file`.
void writeUpLevels(const RunState& run, File file);
void writeEntryHeading(RunState& run, std::string_view name);

// Separator or page head, whichever the page needs before its next entry.
void beginEntry(RunState& run);

}  // namespace pirvex

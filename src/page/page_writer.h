// Writing onto the page of the current source file. The page is created by
// its first write and closed with its footer at the end of the source's
// pass; while no page is open, writes go nowhere.
#pragma once

#include <string_view>

#include "driver/run_state.h"

namespace pirvex {

void writeRaw(RunState& run, std::string_view text);
void openPage(RunState& run);
void closePage(RunState& run);
void closeList(RunState& run);
void openList(RunState& run);
void writeItemMark(RunState& run);
void writeBreak(RunState& run);
void writeParagraphBreak(RunState& run);
void writeAnchorStart(RunState& run);
void writeAnchorEnd(RunState& run);
void writeBoldStart(RunState& run);
void writeBoldEnd(RunState& run);
void writeSourceLine(RunState& run);
void writeTableEnd(RunState& run);

// "pirVex\" followed by the page path.
std::string pageFileName(std::string_view pagePath);

}  // namespace pirvex

// The procedure and structure index files, the navigation page that joins
// them, and the two-frame start page.
#pragma once

#include <string_view>

#include "driver/run_state.h"

namespace pirvex {

inline constexpr std::string_view ProcedureIndexName = "pirVEX\\f_ndx.htm";
inline constexpr std::string_view StructureIndexName = "pirVEX\\s_ndx.htm";
inline constexpr std::string_view NavigationPageName = "pirVEX\\ndx.htm";
inline constexpr std::string_view StartPageName = "pirVEX\\index.html";

// One index line for the entry on the current page; false when the index
// file cannot be created (the next entry tries again).
bool addProcedureEntry(RunState& run, std::string_view name);
bool addStructureEntry(RunState& run, std::string_view name);
void writeNavigationPage(RunState& run);
bool writeStartPage(RunState& run, std::string_view mainPagePath);

}  // namespace pirvex

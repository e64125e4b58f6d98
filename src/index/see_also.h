// Names listed under "see:" sections become links to their entries.
#pragma once

#include <cstdint>
#include <string_view>

#include "driver/run_state.h"

namespace pirvex {

// Rewrites, once each, every page that the sorted procedure index names.
void linkSeeAlso(RunState& run);
// Rewrites the page named by the current page path from `page`, which is
// open for reading and is closed here.
void rewritePage(RunState& run, File page);
// The opening link tag of the first entry named exactly `name`, procedures
// before structures; an empty view when there is none.
bool findIndexEntry(const RunState& run, std::string_view name, std::string_view& linkTag);
std::uint32_t itemNameLength(const char* position, std::uint32_t remaining);
std::uint32_t separatorRun(const char* position, std::uint32_t remaining);

}  // namespace pirvex

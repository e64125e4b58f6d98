// Names listed under "see:" sections become links to their entries.
#pragma once

#include <cstdint>
#include <string_view>

#include "driver/run_state.h"
#include "index/entry_lookup.h"

namespace pirvex {

// Rewrites, once each, every page that the sorted procedure index names.
void linkSeeAlso(RunState& run);
// Rewrites the page named by the current page path from `page`, which is
// open for reading and is closed here; true when the new page was written.
bool rewritePage(RunState& run, const EntryLookup& entries, File page);
// The bytes that separate the names of a see-also list.
inline bool isItemSeparator(char c) {
  return c == CR || c == LF || c == '\t' || c == ',' || c == ' ';
}
std::uint32_t itemNameLength(const char* position, std::uint32_t remaining);
std::uint32_t separatorRun(const char* position, std::uint32_t remaining);

}  // namespace pirvex

// Names listed under "see:" sections become links to their entries.
#pragma once

#include <string_view>

#include "index/entry_lookup.h"
#include "index/index_table.h"
#include "platform/platform.h"

namespace pirvex {

// Rewrites, once each, every page that the sorted procedure index names and
// that the page writer made (it begins with "<HTML>").
void linkSeeAlso(platform::Platform& platform, const IndexTable& procedures,
                 const IndexTable& structures);

// Creates the page at `pagePath` anew from `text`, the page as it was read:
// marked as rewritten, with every see-also name that `entries` knows as a
// link. `text` is changed in place. False when the page cannot be created.
[[nodiscard]] bool rewritePage(platform::Platform& platform, const EntryLookup& entries,
                               std::string_view pagePath, char* text, std::uint32_t length);

}  // namespace pirvex

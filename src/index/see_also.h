// Names listed under "see:" sections become links to their entries.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

#include "index/entry_lookup.h"
#include "index/index_table.h"
#include "page/output_files.h"

namespace pirvex {

// What the see-also pass did: the pages it rewrote (their paths as the
// index lines name them, "/" separated) and the see-also names it left
// unlinked there, as they stand on the pages.
struct SeeAlsoOutcome {
  std::unordered_set<std::string> rewritten;
  std::unordered_set<std::string> unlinked;
};

// Rewrites, once each, every page that the sorted procedure index names,
// that the page writer made (it begins with "<HTML>"), and that lies inside
// the output directory or was written by this run. An index line left from
// an earlier run may name any file: the others are passed over.
void linkSeeAlso(OutputFiles& outputs, const IndexTable& procedures,
                 const IndexTable& structures);
// The same with the names of both tables looked up through `entries`,
// telling `outcome` what it did where there is one.
void linkSeeAlso(OutputFiles& outputs, const IndexTable& procedures, const EntryLookup& entries,
                 SeeAlsoOutcome* outcome = nullptr);

// Creates the page at `pagePath` anew from `text`, the page as it was read:
// marked as rewritten, with every see-also name that `entries` knows as a
// link. `text` is changed in place. False when the page cannot be created.
// The names it leaves unlinked go into `unlinked` where there is one.
[[nodiscard]] bool rewritePage(OutputFiles& outputs, const EntryLookup& entries,
                               std::string_view pagePath, char* text, std::uint32_t length,
                               std::unordered_set<std::string>* unlinked = nullptr);

// Whether the page lies inside the output directory, its path read as text:
// "..", "." and repeated separators resolved.
[[nodiscard]] bool insideOutputDirectory(std::string_view pagePath);

}  // namespace pirvex

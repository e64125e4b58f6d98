// The site's search index, "search-index.js": every entry with its kind,
// its link, its file and the words of its documentation, for the script's
// search field.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "site/site_tables.h"
#include "site/text.h"

namespace pirvex::site {

// Room that one thread's search texts are made in.
struct SearchScratch {
  std::vector<std::string_view> lines;  // an entry's documentation and comment lines
  std::string words;
  std::string text;
  SearchWords collector;
};

// The index into `out`, with scratch room that no other thread uses.
void makeSearchIndex(std::string& out, const SiteTables& tables, SearchScratch& scratch);

}  // namespace pirvex::site

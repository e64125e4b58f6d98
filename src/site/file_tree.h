// The sidebar's tree of files, on every page: the whole tree for a small
// project; for a larger one, each page's own branch, so that pages do not
// grow with the project, and a link to the start page's list of all files.
#pragma once

#include <string>
#include <string_view>

#include "site/site_tables.h"

namespace pirvex::site {

// The tree as the page at `from` shows it; `current` is the page's node,
// -1 on the start page.
void appendFileTree(std::string& out, const SiteTables& tables, std::string_view from, int current);

}  // namespace pirvex::site

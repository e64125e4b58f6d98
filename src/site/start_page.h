// The site's start page: the project's counts, every file, and every
// procedure and structure by name, grouped by their first character.
#pragma once

#include <string>

#include "site/site_tables.h"

namespace pirvex::site {

// The start page, "index.html", into the empty `out`.
void makeStartPage(std::string& out, const SiteTables& tables);

}  // namespace pirvex::site

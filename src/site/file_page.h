// A source file's page on the site: its documentation, a section for each
// of its entries with their fields, callers and uses, and its source.
#pragma once

#include <string>

#include "site/site_tables.h"

namespace pirvex::site {

// The page of node `n`, into the empty `out`.
void makeFilePage(std::string& out, const SiteTables& tables, int n);

}  // namespace pirvex::site

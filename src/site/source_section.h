// A file page's source section: the source as text with its lines,
// highlighted, its references linked to their entries, and the lines that
// entries, PROC bodies and uses lead to carrying their ids.
#pragma once

#include <string>

#include "site/site_tables.h"

namespace pirvex::site {

void appendSourceSection(std::string& out, const SiteTables& tables, const Node& node);

}  // namespace pirvex::site

// An entry's or a file's documentation lines on its page: paragraphs,
// section headings and lists; the names of a "see:" section link to their
// entries.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "site/site_tables.h"

namespace pirvex::site {

// The lines as they stand on the page of `node`, in its character set;
// nothing where there are none.
void appendDocBlock(std::string& out, const SiteTables& tables, const Node& node,
                    const std::vector<std::string_view>& lines);

}  // namespace pirvex::site

// Links from one page of the site to another, to an entry or to a line of
// a source. Paths are below the site and "/" separated.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "site/site_tables.h"

namespace pirvex::site {

// The link from the page at `from` to `to`.
std::string relativeLink(std::string_view from, std::string_view to);

// A link to a node's page, an entry or a line of a node's source from the
// page at `fromPath`: the page's name left out on the page itself.
void appendPageLink(std::string& out, const SiteTables& tables, std::string_view fromPath,
                    int node);
void appendEntryLink(std::string& out, const SiteTables& tables, std::string_view fromPath,
                     int entry);
void appendLineLink(std::string& out, const SiteTables& tables, std::string_view fromPath, int node,
                    std::uint32_t line);

}  // namespace pirvex::site

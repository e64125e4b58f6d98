// What every page of the site shares: its head, with the top bar, the
// search field and the sidebar, and its foot.
#pragma once

#include <string>
#include <string_view>

#include "site/site_tables.h"

namespace pirvex::site {

// Everything up to the page's own content, for the page at `path` with
// node `current` (-1 for the start page); `onThisPage`, the items of the
// sidebar's list of what the page holds, none where it is empty.
void appendHead(std::string& out, const SiteTables& tables, std::string_view path,
                std::string_view title, int current, const std::string& onThisPage);
// Everything after the page's own content.
void appendFoot(std::string& out);

// A page's title: what it shows, then the project.
std::string pageTitle(const SiteTables& tables, std::string_view what);

}  // namespace pirvex::site

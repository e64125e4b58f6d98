#include "site/links.h"

#include <cstddef>

#include "page/page_writer.h"
#include "site/text.h"

namespace pirvex::site {

std::string relativeLink(std::string_view from, std::string_view to) {
  std::size_t common = 0;
  for (std::size_t i = 0; i < from.size() && i < to.size() && from[i] == to[i]; ++i)
    if (from[i] == '/') common = i + 1;
  std::string link = upLevels(from.substr(common));
  appendUrlPath(link, to.substr(common));
  return link;
}

void appendPageLink(std::string& out, const SiteTables& tables, std::string_view fromPath,
                    int node) {
  const std::string& to = tables.node(node).path;
  if (to != fromPath) out += relativeLink(fromPath, to);
}

void appendEntryLink(std::string& out, const SiteTables& tables, std::string_view fromPath,
                     int entry) {
  const Entry& target = tables.entry(entry);
  appendPageLink(out, tables, fromPath, target.node);
  out += '#';
  out += target.id;
}

void appendLineLink(std::string& out, const SiteTables& tables, std::string_view fromPath, int node,
                    std::uint32_t line) {
  appendPageLink(out, tables, fromPath, node);
  out += "#L";
  appendNumber(out, line + 1);
}

}  // namespace pirvex::site

#include "site/search_index.h"

#include <cstddef>
#include <vector>

namespace pirvex::site {
namespace {

// What a search finds an entry by besides its name: every word of its
// text and of the comments that document it, once. Markup and the blanks
// around words are ASCII in every character set read here, so words are
// found before the text is decoded.
void appendSearchText(std::string& out, const SiteTables& tables, const Entry& entry,
                      SearchScratch& scratch) {
  scratch.words.clear();
  const SiteEntry& source = *entry.source;
  if (source.commentLines.empty()) {
    scratch.collector.collect(source.docLines, scratch.words);
  } else {
    scratch.lines.assign(source.docLines.begin(), source.docLines.end());
    scratch.lines.insert(scratch.lines.end(), source.commentLines.begin(),
                         source.commentLines.end());
    scratch.collector.collect(scratch.lines, scratch.words);
  }
  scratch.text.clear();
  appendDecoded(scratch.text, scratch.words, tables.node(entry.node).encoding);
  appendJsonString(out, scratch.text);
}

// Each node's page as a link from the site's directory.
std::vector<std::string> pageLinks(const SiteTables& tables) {
  std::vector<std::string> links(tables.nodes.size());
  for (std::size_t n = 0; n < tables.nodes.size(); ++n)
    appendUrlPath(links[n], tables.nodes[n].path);
  return links;
}

}  // namespace

void makeSearchIndex(std::string& out, const SiteTables& tables, SearchScratch& scratch) {
  out.assign("window.PIRVEX_INDEX=[\n");
  const std::vector<std::string> pages = pageLinks(tables);
  std::string href;
  for (std::size_t e = 0; e < tables.entries.size(); ++e) {
    const Entry& entry = tables.entries[e];
    const auto n = static_cast<std::size_t>(entry.node);
    out += '[';
    appendJsonString(out, entry.display);
    out += entry.source->kind == EntryKind::Procedure ? ",\"p\"," : ",\"s\",";
    href.assign(pages[n]);
    href += '#';
    href += entry.id;
    appendJsonString(out, href);
    out += ',';
    appendJsonString(out, tables.nodes[n].display);
    out += ',';
    appendSearchText(out, tables, entry, scratch);
    out += e + 1 < tables.entries.size() ? "],\n" : "]\n";
  }
  out += "];\n";
}

}  // namespace pirvex::site

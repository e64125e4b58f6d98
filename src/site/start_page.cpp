#include "site/start_page.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/text.h"
#include "site/links.h"
#include "site/page_frame.h"
#include "site/text.h"

namespace pirvex::site {
namespace {

constexpr std::string_view StartPage = "index.html";

// The order of the lists: by name without regard to ASCII case, a prefix
// before the longer name, then as written.
bool listedBefore(std::string_view x, std::string_view y) {
  for (std::size_t i = 0; i < x.size() && i < y.size(); ++i)
    if (upperAscii(x[i]) != upperAscii(y[i])) return upperAscii(x[i]) < upperAscii(y[i]);
  if (x.size() != y.size()) return x.size() < y.size();
  return x < y;
}

std::vector<int> sortedEntries(const SiteTables& tables, EntryKind kind) {
  std::vector<int> list;
  for (std::size_t e = 0; e < tables.entries.size(); ++e)
    if (tables.entries[e].source->kind == kind) list.push_back(static_cast<int>(e));
  std::stable_sort(list.begin(), list.end(), [&](int a, int b) {
    return listedBefore(tables.entry(a).display, tables.entry(b).display);
  });
  return list;
}

// A name's first character (UTF-8), an ASCII letter upper-cased.
std::string firstCharacter(std::string_view name) {
  std::size_t length = name.empty() ? 0 : 1;
  while (length < name.size() && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80)
    ++length;
  std::string first(name.substr(0, length));
  if (length == 1) first[0] = static_cast<char>(upperAscii(first[0]));
  return first;
}

// The entries of a sorted list that share their first character.
struct LetterGroup {
  std::size_t start;  // where it begins in the list
  std::string first;  // its character, upper-cased
};

std::vector<LetterGroup> letterGroups(const SiteTables& tables, const std::vector<int>& list) {
  std::vector<LetterGroup> groups;
  for (std::size_t i = 0; i < list.size(); ++i) {
    std::string first = firstCharacter(tables.entry(list[i]).display);
    if (groups.empty() || groups.back().first != first) groups.push_back({i, std::move(first)});
  }
  return groups;
}

// The row of jumps to each group.
void appendLetters(std::string& out, const std::vector<LetterGroup>& groups, const char* prefix) {
  out += "<p class=\"letters\">";
  for (const LetterGroup& group : groups) {
    out += "<a href=\"#";
    out += prefix;
    out += fragmentId(group.first);
    out += "\">";
    appendEscaped(out, group.first);
    out += "</a> ";
  }
  out += "</p>\n";
}

void appendIndexItem(std::string& out, const SiteTables& tables, int e) {
  const Entry& entry = tables.entry(e);
  out += "<li><a href=\"";
  appendEntryLink(out, tables, StartPage, e);
  out += "\">";
  appendEscaped(out, entry.display);
  out += "</a> <span class=\"where\">";
  appendEscaped(out, tables.node(entry.node).display);
  out += "</span></li>\n";
}

// One group, the entries of the list from `start` up to `end`.
void appendLetterGroup(std::string& out, const SiteTables& tables, const std::vector<int>& list,
                       const LetterGroup& group, std::size_t end, const char* prefix) {
  const std::string id = prefix + fragmentId(group.first);
  out += "<section class=\"letter\" aria-labelledby=\"";
  out += id;
  out += "\"><h3 id=\"";
  out += id;
  out += "\">";
  appendEscaped(out, group.first);
  out += "</h3>\n<ul class=\"index\">\n";
  for (std::size_t i = group.start; i < end; ++i) appendIndexItem(out, tables, list[i]);
  out += "</ul>\n</section>\n";
}

// The entries by their first character: a row of jumps to each group,
// then the groups, which a browser lays out only as they come into view,
// so that a start page of a hundred thousand entries opens at once.
void appendEntryList(std::string& out, const SiteTables& tables, const char* heading,
                     EntryKind kind) {
  const std::vector<int> list = sortedEntries(tables, kind);
  const char* const prefix = kind == EntryKind::Procedure ? "p-" : "s-";
  out += "<h2>";
  out += heading;
  out += "</h2>\n";
  if (list.empty()) {
    out += "<p class=\"empty\">Keine.</p>\n";
    return;
  }
  const std::vector<LetterGroup> groups = letterGroups(tables, list);
  appendLetters(out, groups, prefix);
  for (std::size_t g = 0; g < groups.size(); ++g) {
    const std::size_t end = g + 1 < groups.size() ? groups[g + 1].start : list.size();
    appendLetterGroup(out, tables, list, groups[g], end, prefix);
  }
}

void appendSummary(std::string& out, const SiteTables& tables) {
  std::size_t procedures = 0;
  for (const Entry& entry : tables.entries)
    procedures += entry.source->kind == EntryKind::Procedure;
  out += "<p class=\"summary\">";
  appendNumber(out, static_cast<std::uint32_t>(tables.nodes.size()));
  out += " Dateien, ";
  appendNumber(out, static_cast<std::uint32_t>(procedures));
  out += " Prozeduren, ";
  appendNumber(out, static_cast<std::uint32_t>(tables.entries.size() - procedures));
  out += " Strukturen</p>\n";
}

// Every file, in the order they were read, with a link to its source.
void appendFileList(std::string& out, const SiteTables& tables) {
  out += "<h2>Dateien</h2>\n<ul class=\"index\">\n";
  for (const Node& node : tables.nodes) {
    const std::string link = relativeLink(StartPage, node.path);
    out += "<li><a href=\"";
    out += link;
    out += "\">";
    appendEscaped(out, node.display);
    out += "</a> <a class=\"where\" href=\"";
    out += link;
    out += "#quelltext\">Quelltext</a></li>\n";
  }
  out += "</ul>\n";
}

}  // namespace

void makeStartPage(std::string& out, const SiteTables& tables) {
  appendHead(out, tables, StartPage, tables.project, -1, {});
  out += "<h1>";
  appendEscaped(out, tables.project);
  out += "</h1>\n";
  appendSummary(out, tables);
  appendFileList(out, tables);
  appendEntryList(out, tables, "Prozeduren", EntryKind::Procedure);
  appendEntryList(out, tables, "Strukturen", EntryKind::Structure);
  appendFoot(out);
}

}  // namespace pirvex::site

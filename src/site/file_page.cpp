#include "site/file_page.h"

#include <string_view>
#include <unordered_set>
#include <vector>

#include "scan/structures.h"
#include "site/doc_block.h"
#include "site/links.h"
#include "site/page_frame.h"
#include "site/source_section.h"
#include "site/text.h"

namespace pirvex::site {
namespace {

// The sidebar's list of what the page holds: its entries, then its source.
std::string onThisPage(const SiteTables& tables, const Node& node) {
  std::string list;
  for (int e : node.entries) {
    const Entry& entry = tables.entry(e);
    list += "<li><a href=\"#";
    list += entry.id;
    list += "\">";
    appendEscaped(list, entry.display);
    list += "</a></li>";
  }
  list += "<li><a href=\"#quelltext\">Quelltext</a></li>";
  return list;
}

void appendEntryHeading(std::string& out, const Entry& entry, bool procedure) {
  out += procedure ? "<section class=\"entry procedure\" id=\""
                   : "<section class=\"entry structure\" id=\"";
  out += entry.id;
  out += "\">\n<h2><a href=\"#" + entry.id + "\">";
  appendEscaped(out, entry.display);
  out += procedure ? "</a> <span class=\"kind\">Prozedur</span></h2>\n"
                   : "</a> <span class=\"kind\">Struktur</span></h2>\n";
}

void appendFields(std::string& out, const Node& node, const std::vector<StructureField>& fields) {
  if (fields.empty()) {
    out += "<p class=\"empty\">Keine Felder.</p>\n";
    return;
  }
  out += "<table class=\"fields\"><caption>Felder</caption><thead><tr><th scope=\"col\">Feld</th>"
         "<th scope=\"col\">Typ</th><th scope=\"col\">Wert</th></tr></thead><tbody>\n";
  for (const StructureField& field : fields) {
    out += "<tr><td>";
    appendText(out, field.name, node.encoding);
    out += "</td><td>";
    if (field.repeated) {
      appendText(out, field.value, node.encoding);
      out += "*";
    }
    appendText(out, field.type, node.encoding);
    out += "</td><td>";
    appendText(out, field.repeated ? field.argument : field.value, node.encoding);
    out += "</td></tr>\n";
  }
  out += "</tbody></table>\n";
}

// Each calling procedure once: one with an entry links to it, one without
// to the line of its first call.
void appendCallers(std::string& out, const SiteTables& tables, const Node& node,
                   const Entry& entry) {
  out += "<h3>Aufgerufen von</h3>\n<ul class=\"callers\">";
  std::unordered_set<std::string_view> listedNames;
  std::unordered_set<int> listedEntries;
  for (const Caller& caller : entry.callers) {
    const int known = caller.entry;
    if (known >= 0 ? !listedEntries.insert(known).second : !listedNames.insert(caller.name).second)
      continue;
    const Node& where = tables.node(caller.node);
    out += "<li><a href=\"";
    if (known >= 0)
      appendEntryLink(out, tables, node.path, known);
    else
      appendLineLink(out, tables, node.path, caller.node, caller.line);
    out += "\">";
    appendEscaped(out,
                  known >= 0 ? tables.entry(known).display : decoded(caller.name, where.encoding));
    out += "</a></li>";
  }
  out += "</ul>\n";
}

void appendUses(std::string& out, const SiteTables& tables, const Node& node, const Entry& entry) {
  out += "<h3>Verwendet in</h3>\n<ul class=\"uses\">";
  for (const Use& use : entry.uses) {
    out += "<li><a href=\"";
    appendLineLink(out, tables, node.path, use.node, use.line);
    out += "\">";
    appendEscaped(out, tables.node(use.node).display);
    out += ", Zeile ";
    appendNumber(out, use.line + 1);
    out += "</a></li>";
  }
  out += "</ul>\n";
}

// The link to the entry's line in the page's source section.
void appendSourceLink(std::string& out, const SiteTables& tables, const Node& node,
                      const Entry& entry) {
  out += "<p class=\"source\"><a href=\"";
  appendLineLink(out, tables, node.path, entry.node, entry.line);
  out += "\">Quelltext, Zeile ";
  appendNumber(out, entry.line + 1);
  out += "</a></p>\n";
}

// Plain comments as their author aligned them: text, not markup.
void appendComment(std::string& out, const Node& node, const std::vector<std::string_view>& lines) {
  if (lines.empty()) return;
  out += "<pre class=\"comment\">";
  for (std::string_view line : lines) {
    appendText(out, line, node.encoding);
    out += '\n';
  }
  out += "</pre>\n";
}

void appendEntry(std::string& out, const SiteTables& tables, const Node& node, const Entry& entry) {
  const SiteEntry& source = *entry.source;
  const bool procedure = source.kind == EntryKind::Procedure;
  appendEntryHeading(out, entry, procedure);
  if (!source.ownName.empty()) {
    out += "<p class=\"private\">Private Name: ";
    appendText(out, source.ownName, node.encoding);
    out += "</p>\n";
  }
  appendDocBlock(out, tables, node, source.docLines);
  appendComment(out, node, source.commentLines);
  if (!procedure) appendFields(out, node, source.fields);
  if (!entry.callers.empty()) appendCallers(out, tables, node, entry);
  if (!entry.uses.empty()) appendUses(out, tables, node, entry);
  appendSourceLink(out, tables, node, entry);
  out += "</section>\n";
}

}  // namespace

void makeFilePage(std::string& out, const SiteTables& tables, int n) {
  const Node& node = tables.node(n);
  appendHead(out, tables, node.path, pageTitle(tables, node.display), n, onThisPage(tables, node));
  out += "<h1>";
  appendEscaped(out, node.display);
  out += "</h1>\n";
  appendComment(out, node, node.file->fileComment);
  appendDocBlock(out, tables, node, node.file->looseDoc);
  for (int e : node.entries) appendEntry(out, tables, node, tables.entry(e));
  if (node.entries.empty() && node.file->looseDoc.empty() && node.file->fileComment.empty())
    out += "<p class=\"empty\">Diese Datei dokumentiert keine Eintr\xC3\xA4ge.</p>\n";
  appendSourceSection(out, tables, node);
  appendFoot(out);
}

}  // namespace pirvex::site

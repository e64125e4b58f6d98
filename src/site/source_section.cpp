#include "site/source_section.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "site/cross_references.h"
#include "site/links.h"
#include "site/source_view.h"
#include "site/text.h"

namespace pirvex::site {
namespace {

// The lines where the node's entries are defined.
std::vector<bool> entryLines(const SiteTables& tables, const Node& node, std::uint32_t lines) {
  std::vector<bool> marked(lines, false);
  for (int e : node.entries) {
    const Entry& entry = tables.entry(e);
    if (entry.line < lines) marked[entry.line] = true;
  }
  return marked;
}

// Short elements, since a source view is as long as its source: <i> a
// comment, <q> a string, <b> a directive, <dfn> a name being defined.
void appendPiece(std::string& out, const SiteTables& tables, const Node& node, const Piece& piece) {
  using Tags = std::array<std::string_view, 6>;  // by Shade
  static constexpr Tags Open = {"", "<i>", "<q>", "<b>", "<dfn>", ""};
  static constexpr Tags Close = {"", "</i>", "</q>", "</b>", "</dfn>", ""};
  if (piece.shade == Shade::Reference) {
    out += "<a class=\"ref\" href=\"";
    appendEntryLink(out, tables, node.path, piece.target);
    out += "\">";
    appendText(out, piece.bytes, node.encoding);
    out += "</a>";
    return;
  }
  const auto shade = static_cast<std::size_t>(piece.shade);
  out += Open[shade];
  appendText(out, piece.bytes, node.encoding);
  out += Close[shade];
}

// One line of the code, in a span with its id where a link leads to it.
void appendLine(std::string& out, const SiteTables& tables, const Node& node, std::uint32_t line,
                const LineReading& reading, bool entryLine) {
  const bool anchor = entryLine || !reading.procedureBegins.empty() || reading.structureUsed >= 0;
  if (anchor) {
    out += "<span id=\"L";
    appendNumber(out, line + 1);
    out += "\">";
  }
  for (const Piece& piece : reading.pieces) appendPiece(out, tables, node, piece);
  if (anchor) out += "</span>";
  out += '\n';
}

}  // namespace

void appendSourceSection(std::string& out, const SiteTables& tables, const Node& node) {
  const std::string_view text = node.file->text();
  const std::uint32_t lines = node.lineCount();
  const std::vector<bool> marked = entryLines(tables, node, lines);
  // The line numbers beside the code are the script's: as text they
  // would add a tenth to every page.
  out += "<section id=\"quelltext\">\n<h2>Quelltext</h2>\n<div class=\"source\" tabindex=\"0\" "
         "role=\"region\" aria-label=\"Quelltext\"><pre class=\"gutter\" aria-hidden=\"true\" "
         "data-lines=\"";
  appendNumber(out, lines);
  out += "\"></pre><pre class=\"code\"><code>";
  LineReader reader = sourceReader(tables);
  LineReading reading;
  for (std::uint32_t line = 0; line < lines; ++line) {
    reader.read(lineAt(text, node.starts, line), reading);
    appendLine(out, tables, node, line, reading, marked[line]);
  }
  out += "</code></pre></div>\n</section>\n";
}

}  // namespace pirvex::site

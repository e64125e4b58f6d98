#include "site/doc_block.h"

#include <cstddef>

#include "scan/cursor.h"
#include "site/cross_references.h"
#include "site/links.h"
#include "site/names.h"
#include "site/text.h"

namespace pirvex::site {
namespace {

bool separatesNames(char c) { return c == ',' || isBlank(static_cast<unsigned char>(c)); }

// One documentation block, line by line: text before the first heading is
// paragraphs, lines after a heading its list.
class DocBlock {
 public:
  DocBlock(std::string& out, const SiteTables& tables, const Node& node)
      : out_(out), tables_(tables), node_(node) {}

  void add(std::string_view line) {
    if (line.starts_with('@') && line.size() > 1)
      heading(line.substr(1));
    else if (line == "@")
      return;
    else if (!inSection_)
      paragraphLine(line);
    else
      listItem(line);
  }

  void close() {
    closeParagraphOrList();
    out_ += "</div>\n";
  }

 private:
  void closeParagraphOrList() {
    if (paragraph_) out_ += "</p>";
    if (listOpen_) out_ += "</ul>";
    paragraph_ = listOpen_ = false;
  }

  void heading(std::string_view title) {
    closeParagraphOrList();
    inSection_ = true;
    seeAlso_ = title == "see:";
    out_ += "<h3>";
    appendDocText(out_, title, node_.encoding);
    out_ += "</h3>";
  }

  void paragraphLine(std::string_view line) {
    out_ += paragraph_ ? "\n" : "<p>";
    paragraph_ = true;
    appendDocText(out_, line, node_.encoding);
  }

  void listItem(std::string_view line) {
    if (!listOpen_) out_ += seeAlso_ ? "<ul class=\"see\">" : "<ul>";
    listOpen_ = true;
    out_ += "<li>";
    if (seeAlso_)
      seeAlsoItem(line);
    else
      appendDocText(out_, line, node_.encoding);
    out_ += "</li>";
  }

  // The names of the line and what stands between them, as written; a
  // name of an entry links to it.
  void seeAlsoItem(std::string_view line) {
    std::size_t at = 0;
    while (at < line.size()) {
      std::size_t end = at;
      const bool separator = separatesNames(line[at]);
      while (end < line.size() && separatesNames(line[end]) == separator) ++end;
      const std::string_view piece = line.substr(at, end - at);
      const int target = separator ? -1 : resolveSeeAlso(tables_, withoutLabelColon(piece));
      if (target >= 0) {
        out_ += "<a href=\"";
        appendEntryLink(out_, tables_, node_.path, target);
        out_ += "\">";
        appendText(out_, piece, node_.encoding);
        out_ += "</a>";
      } else {
        appendText(out_, piece, node_.encoding);
      }
      at = end;
    }
  }

  std::string& out_;
  const SiteTables& tables_;
  const Node& node_;
  bool paragraph_ = false;
  bool inSection_ = false;
  bool listOpen_ = false;
  bool seeAlso_ = false;
};

}  // namespace

void appendDocBlock(std::string& out, const SiteTables& tables, const Node& node,
                    const std::vector<std::string_view>& lines) {
  if (lines.empty()) return;
  out += "<div class=\"doc\">";
  DocBlock block(out, tables, node);
  for (std::string_view line : lines) block.add(line);
  block.close();
}

}  // namespace pirvex::site

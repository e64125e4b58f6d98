#include "site/file_tree.h"

#include <cstddef>
#include <vector>

#include "site/links.h"
#include "site/text.h"

namespace pirvex::site {
namespace {

// A sidebar lists the whole tree of files up to this many; a larger project
// shows each page's own branch.
constexpr std::size_t WholeTreeUpTo = 100;
// How many files above a page its branch names at most.
constexpr std::size_t BranchDepth = 6;

// A node's item, left open for what hangs below it.
void appendTreeLink(std::string& out, const SiteTables& tables, std::string_view from, int node,
                    int current) {
  const Node& item = tables.node(node);
  out += "<li><a href=\"";
  out += relativeLink(from, item.path);
  out += node == current ? "\" aria-current=\"page\">" : "\">";
  appendEscaped(out, item.display);
  out += "</a>";
}

// The whole tree below a node, for a small project (its depth is as small).
void appendWholeTree(std::string& out, const SiteTables& tables, std::string_view from, int node,
                     int current) {
  appendTreeLink(out, tables, from, node, current);
  const Node& item = tables.node(node);
  if (!item.children.empty()) {
    out += "<ul>";
    for (int child : item.children) appendWholeTree(out, tables, from, child, current);
    out += "</ul>";
  }
  out += "</li>";
}

// The files above the page that its branch names, the nearest first: at
// most BranchDepth of them, and after them its root where files between
// are left out (`cut`).
std::vector<int> filesAbove(const SiteTables& tables, int current, int root, bool& cut) {
  std::vector<int> above;
  int step = current;
  while (step >= 0 && above.size() < BranchDepth) {
    step = tables.node(step).parent;
    if (step >= 0) above.push_back(step);
  }
  cut = step >= 0 && !tables.node(step).isRoot();
  if (cut) above.push_back(root);
  return above;
}

// The page's own item in its branch, with the files it includes.
void appendPageItem(std::string& out, const SiteTables& tables, std::string_view from,
                    int current) {
  appendTreeLink(out, tables, from, current, current);
  const Node& item = tables.node(current);
  if (!item.children.empty()) {
    out += "<ul>";
    for (int child : item.children) {
      appendTreeLink(out, tables, from, child, current);
      out += "</li>";
    }
    out += "</ul>";
  }
  out += "</li>";
}

// A page's own branch: its root, the nearest files that include it, the
// page and the files it includes. However deep the includes nest, a page
// names a bounded number of files above it. The start page's branch is the
// first root alone.
void appendBranch(std::string& out, const SiteTables& tables, std::string_view from, int current) {
  const int root = current < 0 ? 0 : tables.node(current).root;
  bool cut = false;
  const std::vector<int> above = filesAbove(tables, current, root, cut);
  for (auto at = above.rbegin(); at != above.rend(); ++at) {
    appendTreeLink(out, tables, from, *at, current);
    out += "<ul>";
    if (*at == root && cut) out += "<li>\xE2\x80\xA6</li>";  // files between, left out
  }
  if (current >= 0) {
    appendPageItem(out, tables, from, current);
  } else {
    appendTreeLink(out, tables, from, root, current);
    out += "</li>";
  }
  for (std::size_t opened = 0; opened < above.size(); ++opened) out += "</ul></li>";
}

}  // namespace

void appendFileTree(std::string& out, const SiteTables& tables, std::string_view from,
                    int current) {
  const bool whole = tables.nodes.size() <= WholeTreeUpTo;
  out += "<ul class=\"tree\">";
  if (whole) {
    for (std::size_t n = 0; n < tables.nodes.size(); ++n)
      if (tables.nodes[n].isRoot())
        appendWholeTree(out, tables, from, static_cast<int>(n), current);
  } else {
    appendBranch(out, tables, from, current);
  }
  out += "</ul>\n";
  if (!whole) {
    out += "<p><a href=\"";
    out += relativeLink(from, "index.html");
    out += "\">Alle Dateien</a></p>\n";
  }
}

}  // namespace pirvex::site

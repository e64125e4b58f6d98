// What the site's pages are made from: a node for every page, an entry for
// every procedure and structure with the callers and uses found for it, and
// the names that lead to the entries. The preparation gathers them once;
// from then on the pages only read them, on either thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scan/entries.h"
#include "site/model.h"
#include "site/names.h"
#include "site/text.h"

namespace pirvex::site {

struct Caller {
  std::string_view name;  // the procedure whose body calls
  int entry;              // its entry, where it has one
  int node;
  std::uint32_t line;
};

struct Use {
  int node;
  std::uint32_t line;
};

struct Node {
  const SiteFile* file = nullptr;  // the last file read for this page
  std::string path;                // below html5, "/" separated
  std::string display;
  Encoding encoding = Encoding::Utf8;
  std::vector<std::uint32_t> starts;
  int parent = -1;  // in the tree of files; -1 for a root
  int root = 0;     // the root it stands below, itself for a root
  std::vector<int> children;
  std::vector<int> entries;

  bool isRoot() const { return parent < 0; }
  // An empty source has no line, though its line starts name one.
  std::uint32_t lineCount() const {
    return file->text().empty() ? 0 : static_cast<std::uint32_t>(starts.size());
  }
};

struct Entry {
  int node = 0;
  const SiteEntry* source = nullptr;
  std::string_view name;  // a label's colon dropped
  std::string display;
  std::string id;
  std::uint32_t line = 0;
  std::vector<Caller> callers;
  std::vector<Use> uses;
};

struct SiteTables {
  std::string project;  // as the pages show it
  std::vector<Node> nodes;
  std::vector<Entry> entries;
  Names procedures;
  Names structures;
  ProcedureMacros procedureMacros;  // the model's, for reading the sources

  const Node& node(int n) const { return nodes[static_cast<std::size_t>(n)]; }
  Node& node(int n) { return nodes[static_cast<std::size_t>(n)]; }
  const Entry& entry(int e) const { return entries[static_cast<std::size_t>(e)]; }
  Entry& entry(int e) { return entries[static_cast<std::size_t>(e)]; }
};

}  // namespace pirvex::site

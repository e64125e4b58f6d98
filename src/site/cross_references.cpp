#include "site/cross_references.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

#include "page/output_files.h"
#include "platform/text.h"

namespace pirvex::site {
namespace {

// A name as a page shows it: UTF-8 where it is valid UTF-8 already,
// otherwise read in the run's character set.
std::string displayed(std::string_view name, Encoding encoding) {
  return decoded(name, isValidUtf8(name) ? Encoding::Utf8 : settle(encoding, name));
}

// The page path below the output directory as a path below the site: "."
// and empty steps dropped, ".." and drive colons made harmless, so that
// every page stays inside; "HTM" becomes "html".
std::string sitePath(std::string_view pagePath) {
  std::string path;
  std::size_t start = 0;
  while (start <= pagePath.size()) {
    std::size_t end = start;
    while (end < pagePath.size() && !isPathSeparator(pagePath[end])) ++end;
    std::string_view step = pagePath.substr(start, end - start);
    if (!step.empty() && step != ".") {
      if (!path.empty()) path += '/';
      if (step == "..") {
        path += "BackLinks";
      } else {
        for (char c : step) path += c == ':' ? '_' : c;
      }
    }
    start = end + 1;
  }
  if (path.ends_with("HTM")) path.resize(path.size() - 3);
  return path + "html";
}

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

// The page's path below the site, one that no page before it has: a
// page's name may already be the start page's or another's (names
// differing in case are one file on Windows).
std::string freeSitePath(std::string_view pagePath, std::unordered_set<std::string>& taken) {
  std::string path = sitePath(pagePath);
  while (!taken.insert(lowered(path)).second) path.insert(path.size() - 5, 1, '_');
  return path;
}

// Whether a file heads a tree of files of its own on the site rather than
// standing below the file that included it: the main source, which no
// file included, does.
bool isRootFile(const SiteFile& file) { return file.parent < 0; }

// Places the new node `n` of `file` in the site's tree of files: as a root,
// or below the node of the file that included it, under that node's root.
void placeInTree(std::vector<Node>& nodes, int n, const SiteFile& file,
                 const std::vector<int>& nodeOfFile) {
  Node& node = nodes[static_cast<std::size_t>(n)];
  if (isRootFile(file)) {
    node.parent = -1;
    node.root = n;
    return;
  }
  node.parent = nodeOfFile[static_cast<std::size_t>(file.parent)];
  Node& parent = nodes[static_cast<std::size_t>(node.parent)];
  node.root = parent.root;
  parent.children.push_back(n);
}

// A node for every page: files that share a page are one node, the last
// file read for it the one shown.
void gatherNodes(SiteTables& tables, const SiteModel& model) {
  std::unordered_map<std::string, int> byPage;
  std::vector<int> nodeOfFile;
  std::unordered_set<std::string> taken = {"index.html", "site.css", "site.js", "search-index.js"};
  for (const SiteFile& file : model.files()) {
    auto [place, fresh] =
        byPage.emplace(OutputFiles::toolName(file.pagePath), static_cast<int>(tables.nodes.size()));
    if (fresh) {
      Node node;
      node.path = freeSitePath(file.pagePath, taken);
      tables.nodes.push_back(std::move(node));
      placeInTree(tables.nodes, place->second, file, nodeOfFile);
    }
    nodeOfFile.push_back(place->second);
    tables.node(place->second).file = &file;
  }
}

// What a node's page shows of its file: its name, the character set its
// source is read in and where its lines begin.
void describeNode(Node& node, Encoding encoding) {
  const std::string_view path = node.file->sourcePath;
  node.display = displayed(path, encoding);
  node.encoding = settle(encoding, node.file->text());
  node.starts = lineStarts(node.file->text());
}

Entry makeEntry(const Node& node, int n, const SiteEntry& source) {
  Entry entry;
  entry.node = n;
  entry.source = &source;
  entry.name = withoutLabelColon(source.name);
  entry.display = decoded(entry.name, node.encoding);
  entry.line = lineOf(node.starts, source.offset);
  return entry;
}

// The entries of one kind, in the order of their nodes, and their names.
void gatherEntries(SiteTables& tables, EntryKind kind) {
  Names& names = kind == EntryKind::Procedure ? tables.procedures : tables.structures;
  for (std::size_t n = 0; n < tables.nodes.size(); ++n) {
    const Node& node = tables.nodes[n];
    for (const SiteEntry& source : node.file->entries) {
      if (source.kind != kind) continue;
      names.add(withoutLabelColon(source.name), static_cast<int>(tables.entries.size()));
      tables.entries.push_back(makeEntry(node, static_cast<int>(n), source));
    }
  }
}

// A public entry is called by its procedure's own name, too.
void addOwnNames(SiteTables& tables) {
  for (std::size_t e = 0; e < tables.entries.size(); ++e)
    if (!tables.entries[e].source->ownName.empty())
      tables.procedures.add(tables.entries[e].source->ownName, static_cast<int>(e));
}

// Each node's entries in the order they stand in its source.
void listEntriesOnNodes(SiteTables& tables) {
  for (std::size_t e = 0; e < tables.entries.size(); ++e)
    tables.node(tables.entries[e].node).entries.push_back(static_cast<int>(e));
  for (Node& node : tables.nodes)
    std::sort(node.entries.begin(), node.entries.end(), [&](int a, int b) {
      return tables.entry(a).source->offset < tables.entry(b).source->offset;
    });
}

// Ids the page itself uses: its landmarks, its source section and the
// source's lines ("L7").
bool isReservedId(std::string_view id) {
  if (id == "main" || id == "sidebar" || id == "search" || id == "quelltext") return true;
  return id.size() > 1 && id[0] == 'L' &&
         id.find_first_not_of("0123456789", 1) == std::string_view::npos;
}

// Ids unique on each page, none of them one the page itself uses.
void assignIds(SiteTables& tables) {
  for (const Node& node : tables.nodes) {
    std::unordered_map<std::string, int> seen;
    for (int e : node.entries) {
      Entry& entry = tables.entry(e);
      std::string id = fragmentId(entry.display);
      const int count = ++seen[id];
      if (count > 1)
        (id += '-') += std::to_string(count);
      else if (isReservedId(id))
        id += "-1";
      entry.id = std::move(id);
    }
  }
}

// A node's procedure entries by the line of their PROC.
std::unordered_map<std::uint32_t, int> proceduresByLine(const SiteTables& tables,
                                                        const Node& node) {
  std::unordered_map<std::uint32_t, int> procedureAt;
  for (int e : node.entries)
    if (tables.entry(e).source->kind == EntryKind::Procedure)
      procedureAt.emplace(tables.entry(e).line, e);
  return procedureAt;
}

// The calls in each PROC body of a node's source and the structures used
// as a type there.
void findReferences(SiteTables& tables, int n) {
  const Node& node = tables.node(n);
  const std::string_view text = node.file->text();
  const std::unordered_map<std::uint32_t, int> procedureAt = proceduresByLine(tables, node);
  LineReader lines = sourceReader(tables);
  LineReading reading;
  std::string_view procedure;
  int procedureEntry = -1;
  for (std::uint32_t line = 0; line < node.lineCount(); ++line) {
    lines.read(lineAt(text, node.starts, line), reading);
    if (!reading.procedureBegins.empty()) {
      procedure = reading.procedureBegins;
      const auto found = procedureAt.find(line);
      procedureEntry =
          found == procedureAt.end() ? resolveName(tables, procedure, false, true) : found->second;
    }
    if (!procedure.empty())
      for (int callee : reading.calls)
        tables.entry(callee).callers.push_back({procedure, procedureEntry, n, line});
    if (reading.structureUsed >= 0) tables.entry(reading.structureUsed).uses.push_back({n, line});
    if (reading.procedureEnds) procedure = {};
  }
}

}  // namespace

SiteTables gatherSiteTables(const SiteModel& model, std::string_view project, Encoding encoding) {
  SiteTables tables;
  tables.project = displayed(project, encoding);
  tables.procedureMacros = model.procedureMacros;
  gatherNodes(tables, model);
  for (Node& node : tables.nodes) describeNode(node, encoding);
  gatherEntries(tables, EntryKind::Procedure);
  addOwnNames(tables);
  gatherEntries(tables, EntryKind::Structure);
  listEntriesOnNodes(tables);
  assignIds(tables);
  // Callers and uses are known only when every source has been read;
  // each page is then written once, its source read a second time.
  for (std::size_t n = 0; n < tables.nodes.size(); ++n) findReferences(tables, static_cast<int>(n));
  return tables;
}

int resolveName(const SiteTables& tables, std::string_view name, bool structure,
                bool ignoringCase) {
  return (structure ? tables.structures : tables.procedures).find(name, ignoringCase);
}

int resolveSeeAlso(const SiteTables& tables, std::string_view name) {
  int found = tables.procedures.find(name, false);
  if (found < 0) found = tables.structures.find(name, false);
  return found;
}

LineReader sourceReader(const SiteTables& tables) {
  return LineReader(
      [&tables](std::string_view name, bool structure) {
        return resolveName(tables, name, structure, true);
      },
      tables.procedureMacros);
}

}  // namespace pirvex::site

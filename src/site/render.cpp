#include "site/render.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "page/page_writer.h"
#include "platform/text.h"
#include "site/assets.h"
#include "site/cross_references.h"
#include "site/links.h"
#include "site/names.h"
#include "site/page_frame.h"
#include "site/site_tables.h"
#include "site/source_view.h"
#include "site/texts_in_order.h"

namespace pirvex::site {
namespace {

class SiteWriter {
 public:
  SiteWriter(OutputFiles& outputs, const SiteModel& model, std::string_view project,
             Encoding encoding)
      : outputs_(outputs), tables_(gatherSiteTables(model, project, encoding)) {}

  void write() {
    // The pages, the start page and the search index are made on two
    // threads and written from this one in that order; the search index,
    // the largest, is made first.
    const std::size_t pages = tables_.nodes.size();
    makeTextsInOrder(
        outputs_.platform(), pages + 2,
        [&](std::size_t index, std::string& out, int lane) {
          if (index < pages)
            makeFilePage(static_cast<int>(index), out);
          else if (index == pages)
            makeStartPage(out);
          else
            makeSearchIndex(out, scratch_[static_cast<std::size_t>(lane)]);
        },
        [&](std::size_t index, std::string_view text) {
          writeFile(index < pages ? std::string_view(tables_.nodes[index].path)
                                  : index == pages ? "index.html" : "search-index.js",
                    text);
        },
        true);
    writeFile("site.css", SiteCss);
    writeFile("site.js", SiteJs);
  }

 private:
  // --- sources ---

  // The source as text with its lines: the lines that entries, PROC bodies
  // and uses lead to carry their ids.
  void appendSource(std::string& out, const Node& node) const {
    const std::string_view text = node.file->text();
    const std::uint32_t lines = node.lineCount();
    std::vector<bool> marked(lines, false);
    for (int e : node.entries) {
      const Entry& entry = tables_.entry(e);
      if (entry.line < lines) marked[entry.line] = true;
    }
    // The line numbers beside the code are the script's: as text they
    // would add a tenth to every page.
    out += "<section id=\"quelltext\">\n<h2>Quelltext</h2>\n<div class=\"source\" tabindex=\"0\" "
           "role=\"region\" aria-label=\"Quelltext\"><pre class=\"gutter\" aria-hidden=\"true\" "
           "data-lines=\"";
    appendNumber(out, lines);
    out += "\"></pre><pre class=\"code\"><code>";
    LineReader reader = sourceReader(tables_);
    LineReading reading;
    for (std::uint32_t line = 0; line < lines; ++line) {
      reader.read(lineAt(text, node.starts, line), reading);
      const bool anchor =
          marked[line] || !reading.procedureBegins.empty() || reading.structureUsed >= 0;
      if (anchor) {
        out += "<span id=\"L";
        appendNumber(out, line + 1);
        out += "\">";
      }
      for (const Piece& piece : reading.pieces) appendPiece(out, node, piece);
      if (anchor) out += "</span>";
      out += '\n';
    }
    out += "</code></pre></div>\n</section>\n";
  }

  // Short elements, since a source view is as long as its source: <i> a
  // comment, <q> a string, <b> a directive, <dfn> a name being defined.
  void appendPiece(std::string& out, const Node& node, const Piece& piece) const {
    static constexpr std::array<std::string_view, 6> Open = {"", "<i>", "<q>", "<b>", "<dfn>", ""};
    static constexpr std::array<std::string_view, 6> Close = {"", "</i>", "</q>", "</b>", "</dfn>", ""};
    if (piece.shade == Shade::Reference) {
      out += "<a class=\"ref\" href=\"";
      appendEntryLink(out, tables_, node.path, piece.target);
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

  // --- file pages ---

  // Documentation lines as paragraphs, section headings and lists; the
  // names of a "see:" section link to their entries.
  void appendDoc(std::string& out, const Node& node, const std::vector<std::string_view>& lines,
                 std::string_view fromPath) const {
    if (lines.empty()) return;
    out += "<div class=\"doc\">";
    bool paragraph = false;
    bool inSection = false;
    bool listOpen = false;
    bool seeAlso = false;
    for (std::string_view line : lines) {
      if (line.starts_with('@') && line.size() > 1) {
        if (paragraph) out += "</p>";
        if (listOpen) out += "</ul>";
        paragraph = listOpen = false;
        inSection = true;
        seeAlso = line.substr(1) == "see:";
        out += "<h3>";
        appendDocText(out, line.substr(1), node.encoding);
        out += "</h3>";
        continue;
      }
      if (line == "@") continue;
      if (!inSection) {
        out += paragraph ? "\n" : "<p>";
        paragraph = true;
        appendDocText(out, line, node.encoding);
        continue;
      }
      if (!listOpen) out += seeAlso ? "<ul class=\"see\">" : "<ul>";
      listOpen = true;
      out += "<li>";
      if (seeAlso)
        appendSeeAlsoItem(out, node, line, fromPath);
      else
        appendDocText(out, line, node.encoding);
      out += "</li>";
    }
    if (paragraph) out += "</p>";
    if (listOpen) out += "</ul>";
    out += "</div>\n";
  }

  void appendSeeAlsoItem(std::string& out, const Node& node, std::string_view line,
                         std::string_view fromPath) const {
    std::size_t at = 0;
    while (at < line.size()) {
      std::size_t end = at;
      const bool separator = line[at] == ',' || isBlank(static_cast<unsigned char>(line[at]));
      while (end < line.size() &&
             (line[end] == ',' || isBlank(static_cast<unsigned char>(line[end]))) == separator)
        ++end;
      const std::string_view piece = line.substr(at, end - at);
      const int target = separator ? -1 : resolveSeeAlso(tables_, withoutLabelColon(piece));
      if (target >= 0) {
        out += "<a href=\"";
        appendEntryLink(out, tables_, fromPath, target);
        out += "\">";
        appendText(out, piece, node.encoding);
        out += "</a>";
      } else {
        appendText(out, piece, node.encoding);
      }
      at = end;
    }
  }

  void appendEntry(std::string& out, const Node& node, const Entry& entry) const {
    const SiteEntry& source = *entry.source;
    const bool procedure = source.kind == EntryKind::Procedure;
    out += procedure ? "<section class=\"entry procedure\" id=\"" : "<section class=\"entry structure\" id=\"";
    out += entry.id;
    out += "\">\n<h2><a href=\"#" + entry.id + "\">";
    appendEscaped(out, entry.display);
    out += procedure ? "</a> <span class=\"kind\">Prozedur</span></h2>\n"
                     : "</a> <span class=\"kind\">Struktur</span></h2>\n";
    if (!source.ownName.empty()) {
      out += "<p class=\"private\">Private Name: ";
      appendText(out, source.ownName, node.encoding);
      out += "</p>\n";
    }
    appendDoc(out, node, source.docLines, node.path);
    if (!procedure) appendFields(out, node, source.fields);
    if (!entry.callers.empty()) appendCallers(out, node, entry);
    if (!entry.uses.empty()) {
      out += "<h3>Verwendet in</h3>\n<ul class=\"uses\">";
      for (const Use& use : entry.uses) {
        out += "<li><a href=\"";
        appendLineLink(out, tables_, node.path, use.node, use.line);
        out += "\">";
        appendEscaped(out, tables_.node(use.node).display);
        out += ", Zeile ";
        appendNumber(out, use.line + 1);
        out += "</a></li>";
      }
      out += "</ul>\n";
    }
    out += "<p class=\"source\"><a href=\"";
    appendLineLink(out, tables_, node.path, entry.node, entry.line);
    out += "\">Quelltext, Zeile ";
    appendNumber(out, entry.line + 1);
    out += "</a></p>\n</section>\n";
  }

  void appendFields(std::string& out, const Node& node,
                    const std::vector<StructureField>& fields) const {
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

  void appendCallers(std::string& out, const Node& node, const Entry& entry) const {
    out += "<h3>Aufgerufen von</h3>\n<ul class=\"callers\">";
    std::unordered_set<std::string_view> listedNames;
    std::unordered_set<int> listedEntries;
    for (const Caller& caller : entry.callers) {
      const int known = caller.entry;
      if (known >= 0 ? !listedEntries.insert(known).second : !listedNames.insert(caller.name).second)
        continue;
      const Node& where = tables_.node(caller.node);
      out += "<li><a href=\"";
      if (known >= 0)
        appendEntryLink(out, tables_, node.path, known);
      else
        appendLineLink(out, tables_, node.path, caller.node, caller.line);
      out += "\">";
      appendEscaped(out, known >= 0 ? tables_.entry(known).display
                                    : decoded(caller.name, where.encoding));
      out += "</a></li>";
    }
    out += "</ul>\n";
  }

  void makeFilePage(int n, std::string& out) const {
    const Node& node = tables_.node(n);
    std::string onThisPage;
    for (int e : node.entries) {
      const Entry& entry = tables_.entry(e);
      onThisPage += "<li><a href=\"#";
      onThisPage += entry.id;
      onThisPage += "\">";
      appendEscaped(onThisPage, entry.display);
      onThisPage += "</a></li>";
    }
    onThisPage += "<li><a href=\"#quelltext\">Quelltext</a></li>";
    appendHead(out, tables_, node.path, pageTitle(tables_, node.display), n, onThisPage);
    out += "<h1>";
    appendEscaped(out, node.display);
    out += "</h1>\n";
    appendDoc(out, node, node.file->looseDoc, node.path);
    for (int e : node.entries) appendEntry(out, node, tables_.entry(e));
    if (node.entries.empty() && node.file->looseDoc.empty())
      out += "<p class=\"empty\">Diese Datei dokumentiert keine Eintr\xC3\xA4ge.</p>\n";
    appendSource(out, node);
    appendFoot(out);
  }

  // --- start page and search index ---

  std::vector<int> sortedEntries(EntryKind kind) const {
    std::vector<int> list;
    for (std::size_t e = 0; e < tables_.entries.size(); ++e)
      if (tables_.entries[e].source->kind == kind) list.push_back(static_cast<int>(e));
    std::stable_sort(list.begin(), list.end(), [&](int a, int b) {
      const std::string_view x = tables_.entry(a).display;
      const std::string_view y = tables_.entry(b).display;
      for (std::size_t i = 0; i < x.size() && i < y.size(); ++i)
        if (upperAscii(x[i]) != upperAscii(y[i])) return upperAscii(x[i]) < upperAscii(y[i]);
      if (x.size() != y.size()) return x.size() < y.size();
      return x < y;
    });
    return list;
  }

  // The entries by their first character: a row of jumps to each group,
  // then the groups, which a browser lays out only as they come into view,
  // so that a start page of a hundred thousand entries opens at once.
  void appendEntryList(std::string& out, const char* heading, EntryKind kind) const {
    const std::vector<int> list = sortedEntries(kind);
    const char* const prefix = kind == EntryKind::Procedure ? "p-" : "s-";
    out += "<h2>";
    out += heading;
    out += "</h2>\n";
    if (list.empty()) {
      out += "<p class=\"empty\">Keine.</p>\n";
      return;
    }
    // Where each group begins, and its character, upper-cased.
    std::vector<std::pair<std::size_t, std::string>> groups;
    for (std::size_t i = 0; i < list.size(); ++i) {
      std::string first = firstCharacter(tables_.entry(list[i]).display);
      if (groups.empty() || groups.back().second != first) groups.emplace_back(i, std::move(first));
    }
    out += "<p class=\"letters\">";
    for (const auto& [start, first] : groups) {
      out += "<a href=\"#";
      out += prefix;
      out += fragmentId(first);
      out += "\">";
      appendEscaped(out, first);
      out += "</a> ";
    }
    out += "</p>\n";
    for (std::size_t g = 0; g < groups.size(); ++g) {
      const std::string id = prefix + fragmentId(groups[g].second);
      out += "<section class=\"letter\" aria-labelledby=\"";
      out += id;
      out += "\"><h3 id=\"";
      out += id;
      out += "\">";
      appendEscaped(out, groups[g].second);
      out += "</h3>\n<ul class=\"index\">\n";
      const std::size_t end = g + 1 < groups.size() ? groups[g + 1].first : list.size();
      for (std::size_t i = groups[g].first; i < end; ++i) {
        const int e = list[i];
        const Entry& entry = tables_.entry(e);
        out += "<li><a href=\"";
        appendEntryLink(out, tables_, "index.html", e);
        out += "\">";
        appendEscaped(out, entry.display);
        out += "</a> <span class=\"where\">";
        appendEscaped(out, tables_.node(entry.node).display);
        out += "</span></li>\n";
      }
      out += "</ul>\n</section>\n";
    }
  }

  // A name's first character (UTF-8), an ASCII letter upper-cased.
  static std::string firstCharacter(std::string_view name) {
    std::size_t length = name.empty() ? 0 : 1;
    while (length < name.size() && (static_cast<unsigned char>(name[length]) & 0xC0) == 0x80)
      ++length;
    std::string first(name.substr(0, length));
    if (length == 1) first[0] = static_cast<char>(upperAscii(first[0]));
    return first;
  }

  void makeStartPage(std::string& out) const {
    std::size_t procedures = 0;
    for (const Entry& entry : tables_.entries) procedures += entry.source->kind == EntryKind::Procedure;
    appendHead(out, tables_, "index.html", tables_.project, -1, {});
    out += "<h1>";
    appendEscaped(out, tables_.project);
    out += "</h1>\n<p class=\"summary\">";
    appendNumber(out, static_cast<std::uint32_t>(tables_.nodes.size()));
    out += " Dateien, ";
    appendNumber(out, static_cast<std::uint32_t>(procedures));
    out += " Prozeduren, ";
    appendNumber(out, static_cast<std::uint32_t>(tables_.entries.size() - procedures));
    out += " Strukturen</p>\n<h2>Dateien</h2>\n<ul class=\"index\">\n";
    for (const Node& node : tables_.nodes) {
      const std::string link = relativeLink("index.html", node.path);
      out += "<li><a href=\"";
      out += link;
      out += "\">";
      appendEscaped(out, node.display);
      out += "</a> <a class=\"where\" href=\"";
      out += link;
      out += "#quelltext\">Quelltext</a></li>\n";
    }
    out += "</ul>\n";
    appendEntryList(out, "Prozeduren", EntryKind::Procedure);
    appendEntryList(out, "Strukturen", EntryKind::Structure);
    appendFoot(out);
  }

  // Room that one thread's search texts are made in.
  struct Scratch {
    std::string words;
    std::string text;
    SearchWords collector;
  };

  // What a search finds an entry by besides its name: every word of its
  // text, once. Markup and the blanks around words are ASCII in every
  // character set read here, so words are found before the text is decoded.
  void appendSearchText(std::string& out, const Entry& entry, Scratch& scratch) const {
    scratch.words.clear();
    scratch.collector.collect(entry.source->docLines, scratch.words);
    scratch.text.clear();
    appendDecoded(scratch.text, scratch.words, tables_.node(entry.node).encoding);
    appendJsonString(out, scratch.text);
  }

  void makeSearchIndex(std::string& out, Scratch& scratch) const {
    out.assign("window.PIRVEX_INDEX=[\n");
    std::vector<std::string> hrefs(tables_.nodes.size());
    for (std::size_t n = 0; n < tables_.nodes.size(); ++n) appendUrlPath(hrefs[n], tables_.nodes[n].path);
    std::string href;
    for (std::size_t e = 0; e < tables_.entries.size(); ++e) {
      const Entry& entry = tables_.entries[e];
      const auto n = static_cast<std::size_t>(entry.node);
      out += '[';
      appendJsonString(out, entry.display);
      out += entry.source->kind == EntryKind::Procedure ? ",\"p\"," : ",\"s\",";
      href.assign(hrefs[n]);
      href += '#';
      href += entry.id;
      appendJsonString(out, href);
      out += ',';
      appendJsonString(out, tables_.nodes[n].display);
      out += ',';
      appendSearchText(out, entry, scratch);
      out += e + 1 < tables_.entries.size() ? "],\n" : "]\n";
    }
    out += "];\n";
  }

  void writeFile(std::string_view path, std::string_view bytes) {
    std::string name(SiteDirectory);
    for (char c : path) name += c == '/' ? '\\' : c;
    const platform::File file = outputs_.create(name);
    if (file == platform::NoFile) return;
    (void)outputs_.platform().writeText(file, bytes);
    outputs_.close(file, name);
  }

  OutputFiles& outputs_;
  SiteTables tables_;
  std::array<Scratch, 2> scratch_;  // one for each thread that makes texts
};

}  // namespace

struct Site::Preparation {
  OutputFiles& outputs;
  const SiteModel& model;
  std::string_view project;
  Encoding encoding;
  platform::Work work;
  enum { NotBegun, Going, Over } state = NotBegun;  // the calling thread's alone
  bool failed = false;  // memory ran out while preparing
  std::unique_ptr<SiteWriter> writer;

  static void run(void* argument) {
    auto& preparation = *static_cast<Preparation*>(argument);
    try {
      preparation.writer = std::make_unique<SiteWriter>(preparation.outputs, preparation.model,
                                                        preparation.project, preparation.encoding);
    } catch (...) {
      preparation.failed = true;
    }
  }

  void await() {
    if (state != Going) return;
    outputs.platform().awaitWork(work);
    state = Over;
  }
};

Site::Site(OutputFiles& outputs, const SiteModel& model, std::string_view project,
           Encoding encoding)
    : preparation_(new Preparation{outputs, model, project, encoding, {}, Preparation::NotBegun,
                                   false, {}}) {}

Site::~Site() { preparation_->await(); }

void Site::prepare() {
  if (preparation_->model.files().empty() || preparation_->state != Preparation::NotBegun) return;
  preparation_->state = Preparation::Going;
  preparation_->outputs.platform().startWork(preparation_->work, Preparation::run,
                                             preparation_.get());
}

void Site::write() {
  if (preparation_->model.files().empty()) return;
  prepare();
  preparation_->await();
  if (preparation_->failed) throw std::bad_alloc();
  preparation_->writer->write();
}

}  // namespace pirvex::site

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
#include "site/file_page.h"
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
            makeFilePage(out, tables_, static_cast<int>(index));
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

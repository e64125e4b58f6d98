#include "site/render.h"

#include <array>
#include <cstddef>
#include <memory>
#include <new>
#include <string>

#include "site/assets.h"
#include "site/cross_references.h"
#include "site/file_page.h"
#include "site/search_index.h"
#include "site/site_tables.h"
#include "site/start_page.h"
#include "site/texts_in_order.h"

namespace pirvex::site {
namespace {

// A file below the site's directory; `path` is "/" separated.
void writeSiteFile(OutputFiles& outputs, std::string_view path, std::string_view bytes) {
  std::string name(SiteDirectory);
  for (char c : path) name += c == '/' ? '\\' : c;
  const platform::File file = outputs.create(name);
  if (file == platform::NoFile) return;
  (void)outputs.platform().writeText(file, bytes);
  outputs.close(file, name);
}

// Where the texts go, in their order: the pages of the nodes, then the
// start page and the search index.
std::string_view pathOfText(const SiteTables& tables, std::size_t index) {
  const std::size_t pages = tables.nodes.size();
  if (index < pages) return tables.nodes[index].path;
  return index == pages ? "index.html" : "search-index.js";
}

void writeSite(OutputFiles& outputs, const SiteTables& tables) {
  // The pages, the start page and the search index are made on two
  // threads and written from this one in that order; the search index,
  // the largest, is made first.
  std::array<SearchScratch, 2> scratch;  // one for each thread that makes texts
  const std::size_t pages = tables.nodes.size();
  makeTextsInOrder(
      outputs.platform(), pages + 2,
      [&](std::size_t index, std::string& out, int lane) {
        if (index < pages)
          makeFilePage(out, tables, static_cast<int>(index));
        else if (index == pages)
          makeStartPage(out, tables);
        else
          makeSearchIndex(out, tables, scratch[static_cast<std::size_t>(lane)]);
      },
      [&](std::size_t index, std::string_view text) {
        writeSiteFile(outputs, pathOfText(tables, index), text);
      },
      true);
  writeSiteFile(outputs, "site.css", SiteCss);
  writeSiteFile(outputs, "site.js", SiteJs);
}

}  // namespace

struct Site::Preparation {
  OutputFiles& outputs;
  const SiteModel& model;
  std::string_view project;
  Encoding encoding;
  platform::Work work;
  enum { NotBegun, Going, Over } state = NotBegun;  // the calling thread's alone
  bool failed = false;  // memory ran out while preparing
  std::unique_ptr<SiteTables> tables;

  static void run(void* argument) {
    auto& preparation = *static_cast<Preparation*>(argument);
    try {
      preparation.tables = std::make_unique<SiteTables>(
          gatherSiteTables(preparation.model, preparation.project, preparation.encoding));
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
  writeSite(preparation_->outputs, *preparation_->tables);
}

}  // namespace pirvex::site

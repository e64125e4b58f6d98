// The HTML5 site (--html5): from the model the pass recorded, a page per
// source file, a source view per file, a start page, the search index and
// the style sheet and script, all below "pirVex\html5". The classic pages
// are not touched.
#pragma once

#include <memory>
#include <string_view>

#include "page/output_files.h"
#include "site/model.h"
#include "site/text.h"

namespace pirvex::site {

inline constexpr std::string_view SiteDirectory = "pirVex\\html5\\";

// The site of one run. Preparing it (its files and entries gathered, the
// callers and uses found in the sources) writes nothing and needs no
// service but a second thread, so it goes on beside the classic index
// phase; writing it follows that phase.
class Site {
 public:
  Site(OutputFiles& outputs, const SiteModel& model, std::string_view project, Encoding encoding);
  Site(const Site&) = delete;
  Site& operator=(const Site&) = delete;
  // Waits for a preparation still going on.
  ~Site();

  // Starts the preparation, beside the caller where a second thread is to
  // be had. The model must not change from here on.
  void prepare();
  // Waits for the preparation and writes every file of the site; memory
  // the preparation could not have ends the run here (std::bad_alloc).
  void write();

 private:
  struct Preparation;
  std::unique_ptr<Preparation> preparation_;
};

}  // namespace pirvex::site

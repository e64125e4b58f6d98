// The HTML5 site (--html5): from the model the pass recorded, a page per
// source file, a source view per file, a start page, the search index and
// the style sheet and script, all below "pirVex\html5". The classic pages
// are not touched.
#pragma once

#include <string_view>

#include "page/output_files.h"
#include "site/model.h"
#include "site/text.h"

namespace pirvex::site {

inline constexpr std::string_view SiteDirectory = "pirVex\\html5\\";

void writeSite(OutputFiles& outputs, const SiteModel& model, std::string_view project,
               Encoding encoding);

}  // namespace pirvex::site

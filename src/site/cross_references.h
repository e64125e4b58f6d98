// The site's cross-references, gathered from the model: a node for every
// page the sources gave, an entry for every procedure and structure, the
// names that lead to them, and who calls a procedure and where a structure
// is used as a type, found by reading every source once.
#pragma once

#include <string_view>

#include "site/model.h"
#include "site/site_tables.h"
#include "site/source_view.h"
#include "site/text.h"

namespace pirvex::site {

// Everything the pages are made from; writes nothing. Memory it cannot have
// ends it with std::bad_alloc.
SiteTables gatherSiteTables(const SiteModel& model, std::string_view project, Encoding encoding);

// The entry a name in a source stands for, a procedure or a structure as
// asked; -1 when it names none.
int resolveName(const SiteTables& tables, std::string_view name, bool structure, bool ignoringCase);
// A see-also name: a procedure first, then a structure, as the classic
// links go.
int resolveSeeAlso(const SiteTables& tables, std::string_view name);

// Reads source lines with their references leading to the site's entries.
LineReader sourceReader(const SiteTables& tables);

}  // namespace pirvex::site

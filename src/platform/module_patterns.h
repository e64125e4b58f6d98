// The files that a module pattern (--module=PATTERN) names. pirVex expands
// patterns itself, the same on every system, since a shell may leave them
// as they stand (`--module=src/*.asm`) and Windows has none that would.
//
// A pattern is a path, "\" and "/" both separating, whose components may
// hold `*` (any run of bytes within the component, a leading "." too) and
// `?` (one byte), or be `**`: any number of directories, none included;
// as the last component, every file at any depth below. Letters a-z and
// A-Z match without regard to case, as files to read are looked up, and
// only regular files are matches (a link to one too). The directories
// before the first wildcard are followed as written, links included; a
// directory the expansion enters itself is not entered where it is a link.
// Nothing in or below the output directory "pirVex" is ever a match.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace pirvex::platform {

// The names the pattern matches, in byte order, in place of what `names`
// held. A name is the pattern's part before its first wildcard as written,
// then each further component as its directory spells it, each joined by
// the separator before the pattern component it matched: a directory that
// `**` matched by the one before that `**`, and where there is none (a
// leading `**`, or a file below a last `**`) by "\". A pattern without a
// wildcard is its own one name, unexamined: whoever opens it reports what
// cannot be opened. False, and no names, when nothing matches, and for a
// pattern in or below the output directory.
[[nodiscard]] bool expandModulePattern(Platform& platform, std::string_view pattern,
                                       std::vector<std::string>& names);

}  // namespace pirvex::platform

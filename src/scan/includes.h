// INCLUDE directives on a code line.
#pragma once

#include <string_view>

#include "scan/cursor.h"

namespace pirvex {

// For a line whose first word begins with INCLUDE (in any case, but not
// INCLUDELIB): the included file's name. After the keyword and the byte
// after it and blanks, a double quote is stepped over; the name runs to the
// first blank, CR, double quote or zero byte. When `lenient`, as the
// assemblers read it: a name in "<" and ">" or in single quotes too, which
// then also ends at its closing bracket or quote.
[[nodiscard]] bool includeDirective(Cursor cursor, std::string_view& name, bool lenient = false);

}  // namespace pirvex

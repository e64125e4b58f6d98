// INCLUDE directives on a code line.
#pragma once

#include <string_view>

#include "scan/cursor.h"

namespace pirvex {

// For a line whose first word begins with INCLUDE (in any case, but not
// INCLUDELIB): the included file's name. After the keyword and the byte
// after it and blanks, a double quote is stepped over; the name runs to the
// first blank, CR, double quote or zero byte.
[[nodiscard]] bool includeDirective(Cursor cursor, std::string_view& name);

}  // namespace pirvex

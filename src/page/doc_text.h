// Documentation lines onto the page: plain text, bold "@" sections and the
// bulleted lists below them.
#pragma once

#include <string_view>
#include <vector>

#include "page/page_writer.h"
#include "scan/cursor.h"

namespace pirvex {

// Renders the documentation line at the Cursor; the Cursor stays. Gives
// the line's text as it was read (after ";*" and blanks, trimmed).
std::string_view renderDocLine(Page& page, Cursor cursor);

// The plain comments that document a procedure, as its entry's text: each
// kept line as text, not markup, in a preformatted block.
void writeCommentText(Page& page, const std::vector<std::string_view>& lines);

}  // namespace pirvex

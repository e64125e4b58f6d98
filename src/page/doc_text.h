// Documentation lines onto the page: plain text, bold "@" sections and the
// bulleted lists below them.
#pragma once

#include "page/page_writer.h"
#include "scan/cursor.h"

namespace pirvex {

// Renders the documentation line at the Cursor; the Cursor stays.
void renderDocLine(Page& page, Cursor cursor);

}  // namespace pirvex

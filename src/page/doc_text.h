// Documentation lines onto the page: plain text, bold "@" sections and the
// bulleted lists below them.
#pragma once

#include "driver/run_state.h"

namespace pirvex {

// Renders the documentation line at the Cursor; the Cursor stays.
void renderDocLine(RunState& run, Cursor cursor);

}  // namespace pirvex

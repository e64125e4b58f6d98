// One whole run of pirVex over a command line. It returns when the run is
// over, whichever way it ends; only main ends the process.
#pragma once

#include <string_view>

#include "driver/version.h"
#include "platform/platform.h"

namespace pirvex {

inline constexpr std::string_view Banner =
    "pirVex " PIRVEX_VERSION " - HTML-Referenz aus Assembler-Quellen\r\n";

void runTool(platform::Platform& platform, std::string_view commandLine);

}  // namespace pirvex

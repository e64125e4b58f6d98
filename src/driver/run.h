// One whole run of pirVex over a command line. It returns when the run is
// over, whichever way it ends, with the process's exit status; only main
// ends the process.
#pragma once

#include <string_view>

#include "driver/version.h"
#include "platform/platform.h"

namespace pirvex {

inline constexpr std::string_view Banner =
    "pirVex " PIRVEX_VERSION " - HTML-Referenz aus Assembler-Quellen\r\n";

// Exit statuses: a complete run; the general error stop or an output file
// not written in full; the usage line.
inline constexpr int ExitComplete = 0;
inline constexpr int ExitFailed = 1;
inline constexpr int ExitUsage = 2;

[[nodiscard]] int runTool(platform::Platform& platform, std::string_view commandLine);

}  // namespace pirvex

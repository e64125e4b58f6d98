// One whole run of pirVex over a command line. It returns when the run is
// over, whichever way it ends; only main ends the process.
#pragma once

#include <string_view>

namespace pirvex {

inline constexpr std::string_view Banner = "pirVex 1.0.0 - HTML-Referenz aus Assembler-Quellen\r\n";

void runTool(std::string_view commandLine);

}  // namespace pirvex

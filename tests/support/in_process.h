// Runs the tool inside the test process, so that platform faults can be
// injected, in a workspace directory with the console captured.
#pragma once

#include <string>

#include "support/workspace.h"

namespace pirvex::testing {

// The console output from its second line on.
std::string runInProcess(const Workspace& workspace, const std::string& commandLine);

}  // namespace pirvex::testing

// Runs the tool inside the test process over a FakePlatform, as main runs
// it over the system: through the write-buffering layer.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "support/fake_platform.h"

namespace pirvex::testing {

// The command line that main would hand over for these arguments.
std::string commandLineOf(const std::vector<std::string>& arguments);

// Runs the tool with the arguments; gives the console from its second line
// on (the first is the banner). Every run must end with no file left open,
// no block of memory held and no call on a file or block it did not have:
// the test fails otherwise.
// `status`, when given, receives the run's exit status.
std::string runInProcess(FakePlatform& fake, const std::vector<std::string>& arguments,
                         int* status = nullptr);

// The console from its second line on.
std::string afterBanner(std::string_view console);

}  // namespace pirvex::testing

#include "support/in_process.h"

#include <gtest/gtest.h>

#include "driver/run.h"
#include "platform/buffered_platform.h"
#include "platform/posix_platform.h"

namespace pirvex::testing {

std::string commandLineOf(const std::vector<std::string>& arguments) {
  std::vector<const char*> argv{"pirvex"};
  for (const std::string& argument : arguments) argv.push_back(argument.c_str());
  return platform::joinArguments(static_cast<int>(argv.size()), argv.data());
}

std::string afterBanner(std::string_view console) {
  std::size_t bannerEnd = console.find("\r\n");
  return std::string(bannerEnd == std::string_view::npos ? console : console.substr(bannerEnd + 2));
}

std::string runInProcess(FakePlatform& fake, const std::vector<std::string>& arguments,
                         int* status) {
  fake.clearConsole();
  {
    platform::BufferedPlatform buffered(fake);
    int exitStatus = runTool(buffered, commandLineOf(arguments));
    if (status) *status = exitStatus;
    EXPECT_EQ(fake.openFiles(), 0u) << "a file stayed open after the run";
  }
  EXPECT_EQ(fake.liveBlocks(), 0u) << "a block of memory stayed held after the run";
  EXPECT_EQ(fake.misuses(), 0u) << "a file or block was used that was not open or held";
  EXPECT_TRUE(fake.console().starts_with(Banner)) << "no banner line";
  return afterBanner(fake.console());
}

}  // namespace pirvex::testing

// Follows every link in the files below an output directory and reports the
// ones whose page or anchor does not exist.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pirvex::testing {

struct LinkReport {
  std::size_t linksChecked = 0;
  std::vector<std::string> broken;  // "file: target"
};

LinkReport checkLinks(const std::filesystem::path& outputDirectory);

}  // namespace pirvex::testing

// Reads every page below an output directory as a browser's HTML parser
// does and reports each tag or attribute that no page of pirVex or of its
// site writes: what a name or a path brought into the markup.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace pirvex::testing {

// "file: <tag>" or "file: <tag attribute>", one for each foreign tag or
// attribute met.
std::vector<std::string> foreignMarkup(const std::filesystem::path& outputDirectory);

}  // namespace pirvex::testing

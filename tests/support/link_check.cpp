#include "support/link_check.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "page/escape.h"

namespace pirvex::testing {
namespace {

std::string slurp(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

// Anchors carry their names with umlauts as entities; links carry the bytes.
std::string asAnchor(std::string_view name) {
  std::string buffer(name.size() + 6 * countUmlauts(name), '\0');
  buffer.resize(escapeUmlauts(name, buffer.data()));
  return "<A NAME=\"" + buffer + "\">";
}

// What a browser follows: it drops tabs and line ends from an address,
// "\\" is "/" in a file address's path, and "%09" is a tab.
std::string asBrowserReads(std::string target) {
  std::erase_if(target, [](char c) { return c == '\t' || c == '\r' || c == '\n'; });
  std::replace(target.begin(), target.begin() + static_cast<std::ptrdiff_t>(
                                                   std::min(target.find('#'), target.size())),
               '\\', '/');
  for (std::size_t at = target.find("%09"); at != std::string::npos; at = target.find("%09", at))
    target.replace(at, 3, "\t");
  return target;
}

}  // namespace

LinkReport checkLinks(const std::filesystem::path& outputDirectory) {
  LinkReport report;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(outputDirectory)) {
    if (!entry.is_regular_file()) continue;
    std::string text = slurp(entry.path());
    for (const std::string marker : {"HREF=\"", "src=\""})
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
      at += marker.size();
      std::size_t end = text.find('"', at);
      if (end == std::string::npos) break;
      std::string target = asBrowserReads(text.substr(at, end - at));
      ++report.linksChecked;
      std::size_t hash = target.find('#');
      std::filesystem::path page = entry.path().parent_path() / target.substr(0, hash);
      bool ok = std::filesystem::is_regular_file(page);
      if (ok && hash != std::string::npos)
        ok = slurp(page).find(asAnchor(std::string_view(target).substr(hash + 1))) !=
             std::string::npos;
      if (!ok)
        report.broken.push_back(entry.path().lexically_relative(outputDirectory).string() + ": " +
                                target);
    }
  }
  return report;
}

}  // namespace pirvex::testing

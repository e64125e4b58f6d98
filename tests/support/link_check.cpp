#include "support/link_check.h"

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

}  // namespace

LinkReport checkLinks(const std::filesystem::path& outputDirectory) {
  LinkReport report;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(outputDirectory)) {
    if (!entry.is_regular_file()) continue;
    std::string text = slurp(entry.path());
    const std::string marker = "HREF=\"";
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
      at += marker.size();
      std::size_t end = text.find('"', at);
      if (end == std::string::npos) break;
      std::string target = text.substr(at, end - at);
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

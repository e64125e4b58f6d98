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

// The HTML5 site's links: a path with "%HH" escapes and a fragment that
// names an element's id.
std::string percentDecoded(std::string_view target) {
  std::string out;
  for (std::size_t at = 0; at < target.size(); ++at) {
    if (target[at] == '%' && at + 2 < target.size()) {
      out += static_cast<char>(std::stoi(std::string(target.substr(at + 1, 2)), nullptr, 16));
      at += 2;
    } else {
      out += target[at];
    }
  }
  return out;
}

}  // namespace

LinkReport checkLinks(const std::filesystem::path& outputDirectory) {
  LinkReport report;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(outputDirectory)) {
    if (!entry.is_regular_file()) continue;
    std::string text = slurp(entry.path());
    for (const std::string marker : {"HREF=\"", "src=\"", "href=\""})
    for (std::size_t at = text.find(marker); at != std::string::npos; at = text.find(marker, at)) {
      at += marker.size();
      std::size_t end = text.find('"', at);
      if (end == std::string::npos) break;
      const bool modern = marker == "href=\"";
      std::string target = modern ? text.substr(at, end - at) : asBrowserReads(text.substr(at, end - at));
      ++report.linksChecked;
      std::size_t hash = target.find('#');
      const std::string file = modern ? percentDecoded(target.substr(0, hash)) : target.substr(0, hash);
      std::filesystem::path page =
          modern && file.empty() ? entry.path() : entry.path().parent_path() / file;
      bool ok = std::filesystem::is_regular_file(page);
      const std::string fragment = hash == std::string::npos ? "" : target.substr(hash + 1);
      if (ok && hash != std::string::npos)
        ok = slurp(page).find(modern ? "id=\"" + fragment + "\"" : asAnchor(fragment)) !=
             std::string::npos;
      if (!ok)
        report.broken.push_back(entry.path().lexically_relative(outputDirectory).string() + ": " +
                                target);
    }
  }
  return report;
}

}  // namespace pirvex::testing

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

// A text with its "%HH" escapes decoded.
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

// What a link leads to: a file relative to the page that holds it (none:
// the page itself) and, after a "#", a fragment.
struct Target {
  std::string file;
  bool hasFragment = false;
  std::string fragment;
};

// As a browser reads an address: the site's as written; a classic page's
// with tabs and line ends dropped and "\\" as "/" in its path. The path's
// escapes are decoded either way.
Target readTarget(std::string address, bool classic) {
  if (classic)
    std::erase_if(address, [](char c) { return c == '\t' || c == '\r' || c == '\n'; });
  const std::size_t hash = address.find('#');
  Target target;
  std::string path = address.substr(0, hash);
  if (classic) std::replace(path.begin(), path.end(), '\\', '/');
  target.file = percentDecoded(path);
  target.hasFragment = hash != std::string::npos;
  if (target.hasFragment) target.fragment = address.substr(hash + 1);
  return target;
}

// Whether the page holds the fragment's element: the site's by its id, a
// classic page's by its anchor, looked for as written, then decoded.
bool holdsFragment(const std::string& page, const std::string& fragment, bool classic) {
  if (!classic) return page.find("id=\"" + fragment + "\"") != std::string::npos;
  return page.find(asAnchor(fragment)) != std::string::npos ||
         page.find(asAnchor(percentDecoded(fragment))) != std::string::npos;
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
      const bool classic = marker != "href=\"";
      const std::string address = text.substr(at, end - at);
      const Target target = readTarget(address, classic);
      ++report.linksChecked;
      std::filesystem::path page =
          !classic && target.file.empty() ? entry.path() : entry.path().parent_path() / target.file;
      bool ok = std::filesystem::is_regular_file(page);
      if (ok && target.hasFragment) ok = holdsFragment(slurp(page), target.fragment, classic);
      if (!ok)
        report.broken.push_back(entry.path().lexically_relative(outputDirectory).string() + ": " +
                                address);
    }
  }
  return report;
}

}  // namespace pirvex::testing

#include "support/cases.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/diff.h"

namespace pirvex::testing {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read " + file.string());
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeFile(const fs::path& file, std::string_view bytes) {
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + file.string());
}

// The lines of a file, each without its "\n"; a last line without one
// counts too.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The one line of a file such as cwd or from.
std::string oneLine(const fs::path& file) {
  std::vector<std::string> lines = linesOf(readFile(file));
  if (lines.size() != 1) throw std::runtime_error(file.string() + " must hold one line");
  return lines.front();
}

std::string list(const std::vector<std::string>& paths) {
  std::string text;
  for (const std::string& path : paths) text += "  " + visible(path) + "\n";
  return text;
}

}  // namespace

FileTree readTree(const fs::path& root, bool skipOutputDirectory) {
  FileTree tree;
  if (!fs::exists(root)) return tree;
  for (auto entry = fs::recursive_directory_iterator(root);
       entry != fs::recursive_directory_iterator(); ++entry) {
    fs::path relative = entry->path().lexically_relative(root);
    if (skipOutputDirectory && entry.depth() == 0 && relative == "pirVex" &&
        entry->is_directory()) {
      entry.disable_recursion_pending();
      continue;
    }
    if (!entry->is_directory()) tree[relative.generic_string()] = readFile(entry->path());
  }
  return tree;
}

void writeTree(const fs::path& root, const FileTree& tree) {
  for (const auto& [path, bytes] : tree) writeFile(root / path, bytes);
}

FileTree Case::expectedTree() const {
  FileTree tree = input;
  for (const auto& [path, bytes] : output) tree[path] = bytes;
  return tree;
}

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(PIRVEX_CASES_DIR))
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

namespace {

// The site's style sheet and script are the same bytes in every site
// (--html5): a case holds them once, as src/site/assets has them, not in
// its out/.
const std::string_view SiteAssets[] = {"site.css", "site.js"};
constexpr std::string_view SiteStartPage = "html5/index.html";

std::string siteAsset(std::string_view name) {
  return readFile(fs::path(PIRVEX_SOURCE_DIR) / "src" / "site" / "assets" / name);
}

void addSiteAssets(FileTree& output) {
  std::vector<std::string> sites;
  for (const auto& [path, bytes] : output)
    if (path.ends_with(SiteStartPage)) sites.push_back(path.substr(0, path.size() - 10));
  for (const std::string& site : sites)
    for (std::string_view asset : SiteAssets) output[site + std::string(asset)] = siteAsset(asset);
}

bool isSiteAsset(const std::string& path, const std::string& bytes) {
  for (std::string_view asset : SiteAssets)
    if (path.ends_with("html5/" + std::string(asset)) && bytes == siteAsset(asset)) return true;
  return false;
}

}  // namespace

Case loadCase(const std::string& name) {
  Case result;
  result.name = name;
  result.directory = fs::path(PIRVEX_CASES_DIR) / name;
  const fs::path& here = result.directory;
  if (fs::exists(here / "args")) result.arguments = linesOf(readFile(here / "args"));
  if (fs::exists(here / "cwd")) result.currentDirectory = oneLine(here / "cwd");
  // A case being authored has no console yet; the update mode writes it.
  if (fs::exists(here / "console"))
    result.console = readFile(here / "console");
  else if (!updatingCases())
    throw std::runtime_error(name + ": no console file");
  if (fs::exists(here / "status")) result.status = std::stoi(oneLine(here / "status"));
  if (fs::exists(here / "errors")) result.errors = readFile(here / "errors");
  result.linksChecked = fs::exists(here / "links-checked");
  result.markupChecked = fs::exists(here / "markup-checked");
  if (fs::exists(here / "from")) {
    if (fs::exists(here / "in")) throw std::runtime_error(name + ": both from and in/");
    fs::path from = fs::path(PIRVEX_SOURCE_DIR) / oneLine(here / "from");
    if (!fs::is_directory(from)) throw std::runtime_error(name + ": no directory " + from.string());
    result.input = readTree(from, true);
  } else {
    result.input = readTree(here / "in");
  }
  result.output = readTree(here / "out");
  addSiteAssets(result.output);
  return result;
}

std::string caseDifferences(const Case& expected, std::string_view console,
                            std::string_view errors, int status, const FileTree& after) {
  std::string report =
      unifiedDiff(expected.console, console, "console (expected)", "console (actual)");
  report += unifiedDiff(expected.errors, errors, "standard error (expected)",
                        "standard error (actual)");
  if (status != expected.status)
    report += "exit status " + std::to_string(status) + ", expected " +
              std::to_string(expected.status) + "\n";
  const FileTree wanted = expected.expectedTree();
  std::vector<std::string> missing, unexpected;
  for (const auto& [path, bytes] : wanted) {
    auto found = after.find(path);
    if (found == after.end())
      missing.push_back(path);
    else
      report += unifiedDiff(bytes, found->second, path + " (expected)", path + " (actual)");
  }
  for (const auto& [path, bytes] : after)
    if (!wanted.count(path)) unexpected.push_back(path);
  if (!missing.empty()) report += "missing files:\n" + list(missing);
  if (!unexpected.empty()) report += "unexpected files:\n" + list(unexpected);
  return report;
}

bool updatingCases() {
  const char* update = std::getenv("PIRVEX_UPDATE_CASES");
  return update && std::string_view(update) == "1";
}

void recordCase(const Case& run, std::string_view console, std::string_view errors, int status,
                const FileTree& after) {
  writeFile(run.directory / "console", console);
  if (errors.empty())
    fs::remove(run.directory / "errors");
  else
    writeFile(run.directory / "errors", errors);
  if (status == 0)
    fs::remove(run.directory / "status");
  else
    writeFile(run.directory / "status", std::to_string(status) + "\n");
  FileTree changed;
  for (const auto& [path, bytes] : after) {
    auto input = run.input.find(path);
    if ((input == run.input.end() || input->second != bytes) && !isSiteAsset(path, bytes))
      changed[path] = bytes;
  }
  fs::remove_all(run.directory / "out");
  writeTree(run.directory / "out", changed);
}

}  // namespace pirvex::testing

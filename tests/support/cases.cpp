#include "support/cases.h"

#include <sys/stat.h>

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

// `fifo PATH` or `link PATH TARGET`, relative to the input root.
std::vector<SpecialEntry> readSpecial(const fs::path& file) {
  std::vector<SpecialEntry> special;
  for (const std::string& line : linesOf(readFile(file))) {
    SpecialEntry entry;
    std::size_t space = line.find(' ');
    const std::string kind = line.substr(0, space);
    entry.link = kind == "link";
    entry.path = space == std::string::npos ? std::string() : line.substr(space + 1);
    if (entry.link) {
      space = entry.path.find(' ');
      if (space != std::string::npos) {
        entry.target = entry.path.substr(space + 1);
        entry.path.resize(space);
      }
    }
    // The built pirvex runs in a temporary directory: a target from the
    // root would lead out of it.
    if ((kind != "fifo" && !entry.link) || entry.path.empty() || entry.path.front() == '/' ||
        (entry.link && (entry.target.empty() || entry.target.front() == '/')))
      throw std::runtime_error(file.string() + ": not a special entry: " + line);
    special.push_back(std::move(entry));
  }
  return special;
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
    if (!entry->is_symlink() && entry->is_regular_file())
      tree[relative.generic_string()] = readFile(entry->path());
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
  if (fs::exists(here / "fifos-and-links"))
    result.special = readSpecial(here / "fifos-and-links");
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

void makeSpecialEntries(const fs::path& root, const std::vector<SpecialEntry>& special) {
  for (const SpecialEntry& entry : special) {
    const fs::path place = root / entry.path;
    fs::create_directories(place.parent_path());
    if (entry.link)
      fs::create_symlink(entry.target, place);
    else if (::mkfifo(place.c_str(), 0600) != 0)
      throw std::runtime_error("cannot make the FIFO " + place.string());
  }
}

bool specialStillThere(const fs::path& root, const SpecialEntry& entry) {
  const fs::path place = root / entry.path;
  std::error_code error;
  if (!entry.link) return fs::is_fifo(fs::symlink_status(place, error));
  return fs::is_symlink(fs::symlink_status(place, error)) &&
         fs::read_symlink(place, error).string() == entry.target && !error;
}

std::string specialDifferences(const std::vector<SpecialEntry>& special,
                               const std::function<bool(const SpecialEntry&)>& stillThere) {
  std::vector<std::string> changed;
  for (const SpecialEntry& entry : special)
    if (!stillThere(entry))
      changed.push_back(entry.link ? "link " + entry.path + " -> " + entry.target
                                   : "fifo " + entry.path);
  return changed.empty() ? std::string() : "special entries changed or gone:\n" + list(changed);
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

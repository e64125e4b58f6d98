#include "platform/module_patterns.h"

#include <algorithm>
#include <map>
#include <utility>

#include "platform/text.h"

namespace pirvex::platform {
namespace {

constexpr std::string_view OutputDirectory = "pirVex";
// A climb towards the root that has not met it after this many levels is
// given up: the directories above are taken for not being the output.
constexpr int MostLevelsClimbed = 1024;

// A component from the first wildcard on, with the separator before it (0
// for none).
struct Component {
  std::string_view text;
  char separator = 0;
  bool wild = false;            // holds `*` or `?`
  bool anyDirectories = false;  // is `**`
};

struct Pattern {
  bool wild = false;
  std::string fixed;    // the part before the first wildcard, as written
  bool rooted = false;  // something stands before it, the empty root included
  std::vector<Component> components;
};

Pattern parse(std::string_view text) {
  Pattern pattern;
  std::size_t start = 0;
  char separator = 0;
  for (std::size_t i = 0; i <= text.size(); ++i) {
    if (i < text.size() && !isPathSeparator(text[i])) continue;
    Component component;
    component.text = text.substr(start, i - start);
    component.separator = separator;
    component.wild = component.text.find_first_of("*?") != std::string_view::npos;
    component.anyDirectories = component.text == "**";
    if (!pattern.wild && component.wild) {
      pattern.wild = true;
      pattern.rooted = start > 0;
      pattern.fixed = text.substr(0, pattern.rooted ? start - 1 : 0);
    }
    // A `**` right after another matches nothing it would not.
    const bool repeated = component.anyDirectories && !pattern.components.empty() &&
                          pattern.components.back().anyDirectories;
    if (pattern.wild && !repeated) pattern.components.push_back(component);
    if (i < text.size()) separator = text[i];
    start = i + 1;
  }
  return pattern;
}

// `*` any run of bytes, `?` one byte, letters a-z and A-Z matching either
// case. A `*` that failed is taken up again one byte further on, so that
// the cost stays in proportion to the lengths.
bool componentMatches(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() &&
               (pattern[p] == '?' || upperAscii(pattern[p]) == upperAscii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// The path that lists a directory known by its name so far: "" for the
// current directory, otherwise the name with a separator after it (so that
// an empty name is the root).
std::string listingOf(const std::string& name, bool started) {
  return started ? name + '\\' : std::string();
}

std::string joined(const std::string& name, bool started, char separator,
                   std::string_view component) {
  std::string path;
  if (started) {
    path = name;
    path += separator;
  }
  path += component;
  return path;
}

// The output directory, by its identity, where it stands.
class Output {
 public:
  explicit Output(Platform& platform)
      : platform_(platform), present_(platform.directoryIdentity(OutputDirectory, identity_)) {}

  // Whether the directory at the listing path is the output directory.
  bool is(const std::string& directory) const {
    FileIdentity identity;
    return present_ && platform_.directoryIdentity(directory, identity) && identity == identity_;
  }

  // Whether the directory is the output directory or lies below it: each
  // directory it is in is climbed to, up to the root, which is its own
  // parent.
  bool holds(const std::string& directory) const {
    if (!present_) return false;
    std::string path = directory;
    FileIdentity below;
    for (int level = 0; level < MostLevelsClimbed; ++level) {
      FileIdentity here;
      if (!platform_.directoryIdentity(path, here)) return false;
      if (here == identity_) return true;
      if (level > 0 && here == below) return false;
      below = here;
      path += "..\\";
    }
    return false;
  }

 private:
  Platform& platform_;
  FileIdentity identity_;
  bool present_;
};

class Expansion {
 public:
  Expansion(Platform& platform, const Pattern& pattern, const Output& output)
      : platform_(platform), components_(pattern.components), output_(output) {}

  // Matches the components from `next` on against the entries of the
  // directory whose name so far is `name`.
  void match(const std::string& name, bool started, std::size_t next,
             const std::vector<DirectoryEntry>& entries) {
    const Component& component = components_[next];
    const bool last = next + 1 == components_.size();
    if (component.text.empty() || component.text == ".") {
      // The same directory again; as the last component, no file.
      if (!last) match(name, started, next + 1, entries);
      return;
    }
    if (component.anyDirectories) {
      matchAnyDirectories(name, started, next, entries);
      return;
    }
    for (const DirectoryEntry& entry : entries) {
      if (!componentMatches(component.text, entry.name)) continue;
      std::string path = joined(name, started, component.separator, entry.name);
      if (last && entry.kind == EntryKind::File)
        found(std::move(path));
      else if (!last && isEntered(entry))
        enter(path, next + 1);
    }
  }

  // Every name found, in byte order.
  std::vector<std::string> names() const {
    std::vector<std::string> names;
    names.reserve(found_.size());
    for (const auto& [path, name] : found_) names.push_back(name);
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  static bool isEntered(const DirectoryEntry& entry) {
    return entry.kind == EntryKind::Directory && !entry.link;
  }

  // `**` here: each directory entered with it still to match, and the
  // components after it matched here, where it stands for no directory.
  void matchAnyDirectories(const std::string& name, bool started, std::size_t next,
                           const std::vector<DirectoryEntry>& entries) {
    const char separator = components_[next].separator ? components_[next].separator : '\\';
    for (const DirectoryEntry& entry : entries)
      if (isEntered(entry)) enter(joined(name, started, separator, entry.name), next);
    if (next + 1 < components_.size()) {
      match(name, started, next + 1, entries);
      return;
    }
    for (const DirectoryEntry& entry : entries)
      if (entry.kind == EntryKind::File) found(joined(name, started, '\\', entry.name));
  }

  void enter(const std::string& directory, std::size_t next) {
    const std::string listing = listingOf(directory, true);
    std::vector<DirectoryEntry> entries;
    if (output_.is(listing) || !platform_.listDirectory(listing, entries)) return;
    match(directory, true, next, entries);
  }

  // One file may be reached along two ways that spell its separators
  // differently (`a/**\d*/**/b` over a/d1/d2/b): it is named once, by the
  // first spelling in byte order.
  void found(std::string name) {
    std::string path = name;
    std::replace(path.begin(), path.end(), '\\', '/');
    auto [slot, added] = found_.try_emplace(std::move(path), name);
    if (!added && name < slot->second) slot->second = std::move(name);
  }

  Platform& platform_;
  const std::vector<Component>& components_;
  const Output& output_;
  std::map<std::string, std::string> found_;  // by the path with "/" separators
};

// The directory a name without wildcards is in, as a listing path.
std::string directoryOf(std::string_view path) {
  std::size_t last = path.find_last_of("\\/");
  return last == std::string_view::npos ? std::string() : std::string(path.substr(0, last + 1));
}

}  // namespace

bool expandModulePattern(Platform& platform, std::string_view pattern,
                         std::vector<std::string>& names) {
  names.clear();
  const Pattern parsed = parse(pattern);
  const Output output(platform);
  if (!parsed.wild) {
    if (output.holds(directoryOf(pattern))) return false;
    names.emplace_back(pattern);
    return true;
  }
  const std::string top = listingOf(parsed.fixed, parsed.rooted);
  std::vector<DirectoryEntry> entries;
  if (output.holds(top) || !platform.listDirectory(top, entries)) return false;
  Expansion expansion(platform, parsed, output);
  expansion.match(parsed.fixed, parsed.rooted, 0, entries);
  names = expansion.names();
  return !names.empty();
}

}  // namespace pirvex::platform

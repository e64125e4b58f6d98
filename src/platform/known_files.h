// Files met in a run (sources read, files in work), kept by their cheap
// index and the path they were read through. The whole identity of one is
// asked for only when another file shares its index: on some systems it
// costs a volume query, many times the price of the index.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/platform.h"

namespace pirvex::platform {

class KnownFiles {
 public:
  // The file read through `path`, whose index is `index`.
  void add(std::uint64_t index, std::string_view path);
  // Forgets one file added with this index and path.
  void remove(std::uint64_t index, std::string_view path);

  bool empty() const { return files_.empty(); }
  // Whether any of the files has this index: only then can one be the same
  // as a file with that index.
  bool hasIndex(std::uint64_t index) const { return files_.count(index) != 0; }

  // Whether one of the files is the file of this index and identity. Each
  // file sharing the index is opened again through its path, once, to learn
  // its own identity; a file that no longer opens matches nothing.
  [[nodiscard]] bool contains(Platform& platform, std::uint64_t index,
                              const FileIdentity& identity);

  // Whether the open file, or what stands at the path (found as a creation
  // finds it), is one of them: its whole identity is asked for only where
  // its index is one of theirs.
  [[nodiscard]] bool holds(Platform& platform, File file);
  [[nodiscard]] bool holdsName(Platform& platform, std::string_view path);

 private:
  struct Known {
    std::string path;
    FileIdentity identity;
    bool asked = false;
    bool identityKnown = false;
  };
  std::unordered_multimap<std::uint64_t, Known> files_;
};

}  // namespace pirvex::platform

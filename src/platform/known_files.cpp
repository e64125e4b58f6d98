#include "platform/known_files.h"

namespace pirvex::platform {

void KnownFiles::add(std::uint64_t index, std::string_view path) {
  Known known;
  known.path.assign(path);
  files_.emplace(index, std::move(known));
}

void KnownFiles::remove(std::uint64_t index, std::string_view path) {
  auto [first, last] = files_.equal_range(index);
  for (auto it = first; it != last; ++it) {
    if (it->second.path != path) continue;
    files_.erase(it);
    return;
  }
}

bool KnownFiles::contains(Platform& platform, std::uint64_t index, const FileIdentity& identity) {
  auto [first, last] = files_.equal_range(index);
  for (auto it = first; it != last; ++it) {
    Known& known = it->second;
    if (!known.asked) {
      known.asked = true;
      File file = platform.openForReading(known.path);
      known.identityKnown = file != NoFile && platform.fileIdentity(file, known.identity);
      (void)platform.closeFile(file);
    }
    if (known.identityKnown && known.identity == identity) return true;
  }
  return false;
}

bool KnownFiles::holds(Platform& platform, File file) {
  std::uint64_t index = 0;
  FileIdentity identity;
  return !empty() && platform.fileIndex(file, index) && hasIndex(index) &&
         platform.fileIdentity(file, identity) && contains(platform, index, identity);
}

bool KnownFiles::holdsName(Platform& platform, std::string_view path) {
  std::uint64_t index = 0;
  FileIdentity identity;
  return !empty() && platform.fileIndexByName(path, index) && hasIndex(index) &&
         platform.fileIdentityByName(path, identity) && contains(platform, index, identity);
}

}  // namespace pirvex::platform

#include "support/fake_platform.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "platform/text.h"

namespace pirvex::testing {
namespace {

constexpr std::string_view OutputDirectory = "pirVex";
constexpr std::string_view OutputDirectoryUpper = "pirVEX";
// What the guard bytes behind every block hold until something overruns it.
constexpr unsigned char GuardByte = 0xA5;
// Links followed in one path before it counts as a loop, as on Linux.
constexpr int MaxLinksFollowed = 40;

bool isSeparator(char c) { return c == '\\' || c == '/'; }

std::vector<std::string> components(std::string_view path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (isSeparator(c)) {
      parts.push_back(std::move(part));
      part.clear();
    } else {
      part += c;
    }
  }
  parts.push_back(std::move(part));
  return parts;
}

std::string joined(const std::vector<std::string>& parts) {
  std::string key;
  for (const std::string& part : parts) {
    if (!key.empty()) key += '/';
    key += part;
  }
  return key;
}

std::string parentOf(const std::string& key) {
  std::size_t slash = key.rfind('/');
  return slash == std::string::npos ? std::string() : key.substr(0, slash);
}

std::string lastComponent(const std::string& key) {
  std::size_t slash = key.rfind('/');
  return slash == std::string::npos ? key : key.substr(slash + 1);
}

std::string childOf(const std::string& directory, std::string_view name) {
  std::string key = directory;
  if (!key.empty()) key += '/';
  key += name;
  return key;
}

const std::string& keyOf(const std::string& key) { return key; }
template <typename Value>
const std::string& keyOf(const std::pair<const std::string, Value>& entry) {
  return entry.first;
}

// Calls `visit(name, key)` for every key of the sorted keys that names
// something directly in the directory.
template <typename Keys, typename Visit>
void forEachChild(const Keys& keys, const std::string& directory, Visit visit) {
  const std::string prefix = directory.empty() ? std::string() : directory + "/";
  for (auto it = keys.lower_bound(prefix); it != keys.end(); ++it) {
    const std::string& key = keyOf(*it);
    if (!key.starts_with(prefix)) break;
    std::string_view name = std::string_view(key).substr(prefix.size());
    if (!name.empty() && name.find('/') == std::string_view::npos) visit(name, key);
  }
}

const char* serviceName(FileService service) {
  switch (service) {
    case FileService::CreateFileAnew:
      return "createFileAnew";
    case FileService::OpenForReading:
      return "openForReading";
    case FileService::OpenForWriting:
      return "openForWriting";
    case FileService::FileSize:
      return "fileSize";
    case FileService::ReadBytes:
      return "readBytes";
    case FileService::WriteBytes:
      return "writeBytes";
  }
  return "?";
}

const char* useName(MemoryUse use) {
  switch (use) {
    case MemoryUse::SourceText:
      return "SourceText";
    case MemoryUse::IncludeContext:
      return "IncludeContext";
    case MemoryUse::EscapeScratch:
      return "EscapeScratch";
    case MemoryUse::IndexText:
      return "IndexText";
    case MemoryUse::IndexRecords:
      return "IndexRecords";
    case MemoryUse::LookupSlots:
      return "LookupSlots";
    case MemoryUse::PageText:
      return "PageText";
    case MemoryUse::NavigationCopy:
      return "NavigationCopy";
  }
  return "?";
}

// What tells points apart when they are counted.
std::string placeOf(const FaultPoint& point) {
  return point.memory ? std::string("m") + useName(point.use) + ":" + point.name
                      : std::string("f") + serviceName(point.service) + ":" + point.name;
}

}  // namespace

std::string FaultPoint::describe() const {
  std::string text = memory ? std::string("memory ") + useName(use) : serviceName(service);
  return text + " \"" + name + "\" #" + std::to_string(occurrence);
}

FakePlatform::~FakePlatform() {
  for (const auto& [block, size] : blocks_) std::free(block);
}

bool FakePlatform::resolve(std::string_view path, std::string& key) const {
  path = untilNul(path);
  if (path.empty()) return false;
  std::vector<std::string> parts = components(path);
  if (parts.front() == OutputDirectoryUpper) parts.front() = OutputDirectory;
  std::vector<std::string> stack;
  if (!isSeparator(path.front())) stack = currentDirectory_;
  for (std::string& part : parts) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      // As the system climbs: out of where a link led, not back across it.
      if (!links_.empty()) stack = realComponents(stack);
      if (!stack.empty()) stack.pop_back();
      continue;
    }
    stack.push_back(std::move(part));
  }
  key = joined(stack);
  return true;
}

std::vector<std::string> FakePlatform::realComponents(const std::vector<std::string>& parts) const {
  std::string real;
  if (!locate(joined(parts), true, false, real)) return parts;
  return real.empty() ? std::vector<std::string>() : components(real);
}

bool FakePlatform::exists(const std::string& key) const {
  return files_.count(key) != 0 || directories_.count(key) != 0 || fifos_.count(key) != 0 ||
         links_.count(key) != 0;
}

std::string FakePlatform::nameIgnoringCase(const std::string& directory,
                                           const std::string& name) const {
  std::string best;
  auto consider = [&](std::string_view entry, const std::string&) {
    if (equalIgnoringAsciiCase(entry, name) && (best.empty() || entry < best)) best = entry;
  };
  forEachChild(files_, directory, consider);
  forEachChild(directories_, directory, consider);
  forEachChild(fifos_, directory, consider);
  forEachChild(links_, directory, consider);
  return best.empty() ? name : best;
}

bool FakePlatform::locate(const std::string& key, bool followLast, bool ignoringCase,
                          std::string& found) const {
  // Components still to walk, the next one last.
  std::vector<std::string> pending = components(key);
  std::reverse(pending.begin(), pending.end());
  std::string resolved;
  int hops = 0;
  while (!pending.empty()) {
    std::string part = std::move(pending.back());
    pending.pop_back();
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      resolved = parentOf(resolved);
      continue;
    }
    std::string next = childOf(resolved, part);
    if (ignoringCase && !exists(next)) next = childOf(resolved, nameIgnoringCase(resolved, part));
    auto link = links_.find(next);
    if (link == links_.end() || (pending.empty() && !followLast)) {
      resolved = std::move(next);
      continue;
    }
    if (++hops > MaxLinksFollowed) return false;
    // The target in place of the link, from the link's directory or the root.
    if (isSeparator(link->second.front())) resolved.clear();
    std::vector<std::string> target = components(link->second);
    pending.insert(pending.end(), target.rbegin(), target.rend());
  }
  found = resolved;
  return true;
}

std::string FakePlatform::standingAt(const std::string& key) const {
  std::string directory;
  if (!locate(parentOf(key), true, false, directory)) return key;
  return childOf(directory, lastComponent(key));
}

bool FakePlatform::passesLinkBelowOutput(std::string_view path) const {
  path = untilNul(path);
  if (links_.empty() || path.empty() || isSeparator(path.front())) return false;
  std::vector<std::string> parts = components(path);
  if (parts.size() < 2 || (parts.front() != OutputDirectory && parts.front() != OutputDirectoryUpper))
    return false;
  std::vector<std::string> output = currentDirectory_;
  output.emplace_back(OutputDirectory);
  std::string directory;
  if (!locate(joined(output), true, false, directory)) return false;
  // Levels below the output directory; -1 once a climb has left it.
  int depth = 0;
  for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
    const std::string& part = parts[i];
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      directory = parentOf(directory);
      if (depth >= 0) --depth;
      continue;
    }
    std::string next = childOf(directory, part);
    if (depth >= 0 && links_.count(next)) return true;
    if (depth < 0 && !locate(next, true, false, next)) return false;
    directory = std::move(next);
    if (depth >= 0) ++depth;
  }
  return false;
}

bool FakePlatform::lookUp(const std::string& key, std::string& found) const {
  return locate(key, true, true, found);
}

void FakePlatform::makeDirectory(const std::string& key) {
  std::string place = standingAt(key);
  if (!exists(place) && directories_.count(parentOf(place))) directories_.insert(place);
}

bool FakePlatform::reach(FaultPoint point) {
  point.occurrence = ++reachedCounts_[placeOf(point)];
  reached_.push_back(point);
  for (const FaultPoint& fault : faults_) {
    if (fault.memory != point.memory) continue;
    if (fault.memory ? fault.use != point.use : fault.service != point.service) continue;
    if (!(fault.memory && fault.name.empty()) && fault.name != point.name) continue;
    if (fault.occurrence == 0 || fault.occurrence == point.occurrence) return true;
  }
  return false;
}

void FakePlatform::forgetPoints() {
  reached_.clear();
  reachedCounts_.clear();
}

void FakePlatform::addDirectory(std::string_view path) {
  std::string key;
  std::vector<std::string> saved = std::move(currentDirectory_);
  currentDirectory_.clear();
  bool ok = resolve(path, key);
  currentDirectory_ = std::move(saved);
  if (!ok) return;
  std::string prefix;
  for (const std::string& part : components(key)) {
    prefix = childOf(prefix, part);
    directories_.insert(prefix);
  }
}

void FakePlatform::addFile(std::string_view path, std::string_view bytes) {
  std::string key;
  std::vector<std::string> saved = std::move(currentDirectory_);
  currentDirectory_.clear();
  bool ok = resolve(path, key);
  currentDirectory_ = std::move(saved);
  if (!ok) return;
  if (!parentOf(key).empty()) addDirectory(parentOf(key));
  auto node = std::make_shared<Node>();
  node->bytes.assign(bytes);
  node->id = nextId_++;
  files_[key] = std::move(node);
}

bool FakePlatform::keyFromRoot(std::string_view path, std::string& key) {
  std::vector<std::string> saved = std::move(currentDirectory_);
  currentDirectory_.clear();
  bool ok = resolve(path, key);
  currentDirectory_ = std::move(saved);
  return ok && !key.empty();
}

void FakePlatform::addFifo(std::string_view path) {
  std::string key;
  if (!keyFromRoot(path, key)) return;
  if (!parentOf(key).empty()) addDirectory(parentOf(key));
  fifos_.insert(key);
}

void FakePlatform::addLink(std::string_view path, std::string_view target) {
  std::string key;
  if (!keyFromRoot(path, key) || target.empty()) return;
  if (!parentOf(key).empty()) addDirectory(parentOf(key));
  links_[key] = std::string(target);
}

bool FakePlatform::hasFifo(std::string_view path) const {
  return fifos_.count(joined(components(path))) != 0;
}

bool FakePlatform::linkTarget(std::string_view path, std::string& target) const {
  auto found = links_.find(joined(components(path)));
  if (found == links_.end()) return false;
  target = found->second;
  return true;
}

bool FakePlatform::hasFile(std::string_view path) const {
  return files_.count(joined(components(path))) != 0;
}

bool FakePlatform::hasDirectory(std::string_view path) const {
  return directories_.count(joined(components(path))) != 0;
}

std::string FakePlatform::fileText(std::string_view path) const {
  auto found = files_.find(joined(components(path)));
  if (found == files_.end()) return "<missing " + std::string(path) + ">";
  return found->second->bytes;
}

std::map<std::string, std::string> FakePlatform::files() const {
  std::map<std::string, std::string> all;
  for (const auto& [key, node] : files_) all[key] = node->bytes;
  return all;
}

void FakePlatform::setCurrentDirectory(std::string_view directory) {
  currentDirectory_.clear();
  for (std::string& part : components(directory))
    if (!part.empty()) currentDirectory_.push_back(std::move(part));
}

void FakePlatform::failFile(FileService service, std::string_view path, unsigned occurrence) {
  FaultPoint point;
  point.service = service;
  resolve(path, point.name);
  point.occurrence = occurrence;
  faults_.push_back(std::move(point));
}

void FakePlatform::failMemory(MemoryUse use, std::string_view subject, unsigned occurrence) {
  FaultPoint point;
  point.memory = true;
  point.use = use;
  point.name.assign(subject);
  point.occurrence = occurrence;
  faults_.push_back(std::move(point));
}

void FakePlatform::failAt(const FaultPoint& point) { faults_.push_back(point); }

platform::File FakePlatform::open(std::shared_ptr<Node> node, const std::string& key) {
  platform::File file = nextHandle_++;
  handles_[file] = Handle{std::move(node), key, 0};
  return file;
}

FakePlatform::Handle* FakePlatform::handleOf(platform::File file) {
  if (file == platform::NoFile) return nullptr;
  auto found = handles_.find(file);
  if (found != handles_.end()) return &found->second;
  ++misuses_;
  return nullptr;
}

void FakePlatform::printMessage(std::string_view message) { console_ += untilNul(message); }

void FakePlatform::printError(std::string_view message) { errors_ += untilNul(message); }

void FakePlatform::createDirectories(std::string_view path) {
  path = untilNul(path);
  for (std::size_t i = 1; i < path.size(); ++i) {
    std::string key;
    if (!isSeparator(path[i]) || !resolve(path.substr(0, i), key)) continue;
    if (passesLinkBelowOutput(path.substr(0, i))) return;
    makeDirectory(key);
  }
}

platform::File FakePlatform::createFileAnew(std::string_view path) {
  std::string key;
  if (!resolve(path, key)) return platform::NoFile;
  FaultPoint point;
  point.service = FileService::CreateFileAnew;
  point.name = key;
  bool fails = reach(point);
  if (passesLinkBelowOutput(path)) return platform::NoFile;
  const std::string place = standingAt(key);
  auto existing = files_.find(place);
  if (existing != files_.end()) {
    for (const auto& [file, handle] : handles_) {
      if (handle.node != existing->second) continue;
      // Held open: emptied in place, every handle sees it.
      if (fails) return platform::NoFile;
      existing->second->bytes.clear();
      return open(existing->second, place);
    }
    // A creation that fails does so after the old file is gone.
    files_.erase(existing);
  }
  // A link or FIFO there is replaced, never written through.
  links_.erase(place);
  fifos_.erase(place);
  createDirectories(path);
  if (fails || key.empty() || directories_.count(place) || !directories_.count(parentOf(place)))
    return platform::NoFile;
  auto node = std::make_shared<Node>();
  node->id = nextId_++;
  files_[place] = node;
  return open(std::move(node), place);
}

platform::File FakePlatform::openForReading(std::string_view path) {
  std::string key, found;
  if (!resolve(path, key)) return platform::NoFile;
  FaultPoint point;
  point.service = FileService::OpenForReading;
  point.name = key;
  if (reach(point) || passesLinkBelowOutput(path) || !lookUp(key, found) || !files_.count(found))
    return platform::NoFile;
  return open(files_[found], found);
}

platform::File FakePlatform::openForWriting(std::string_view path, std::uint32_t offset) {
  std::string key;
  if (!resolve(path, key)) return platform::NoFile;
  FaultPoint point;
  point.service = FileService::OpenForWriting;
  point.name = key;
  if (reach(point) || passesLinkBelowOutput(path)) return platform::NoFile;
  const std::string place = standingAt(key);
  if (!files_.count(place)) return platform::NoFile;
  platform::File file = open(files_[place], place);
  handles_[file].position = offset;
  return file;
}

bool FakePlatform::fileSize(platform::File file, std::uint32_t& size) {
  Handle* handle = handleOf(file);
  if (!handle) return false;
  FaultPoint point;
  point.service = FileService::FileSize;
  point.name = handle->key;
  if (reach(point)) return false;
  size = static_cast<std::uint32_t>(handle->node->bytes.size());
  return true;
}

std::uint32_t FakePlatform::read(Handle& handle, void* destination, std::uint32_t count) {
  FaultPoint point;
  point.service = FileService::ReadBytes;
  point.name = handle.key;
  // A read fault delivers fewer bytes than asked for.
  if (reach(point)) count /= 2;
  const std::string& bytes = handle.node->bytes;
  std::uint32_t available =
      handle.position < bytes.size() ? static_cast<std::uint32_t>(bytes.size() - handle.position) : 0;
  std::uint32_t got = count < available ? count : available;
  if (got) std::memcpy(destination, bytes.data() + handle.position, got);
  handle.position += got;
  return got;
}

std::uint32_t FakePlatform::readBytes(platform::File file, void* destination,
                                      std::uint32_t count) {
  Handle* handle = handleOf(file);
  return handle ? read(*handle, destination, count) : 0;
}

std::uint32_t FakePlatform::readBytesAt(platform::File file, std::uint32_t offset,
                                        void* destination, std::uint32_t count) {
  Handle* handle = handleOf(file);
  if (!handle) return 0;
  handle->position = offset;
  return read(*handle, destination, count);
}

std::uint32_t FakePlatform::writeBytes(platform::File file, const void* bytes,
                                       std::uint32_t count) {
  Handle* handle = handleOf(file);
  if (!handle) return 0;
  ++writeCalls_;
  FaultPoint point;
  point.service = FileService::WriteBytes;
  point.name = handle->key;
  if (reach(point)) {
    handle->failed = true;
    return 0;
  }
  std::string& content = handle->node->bytes;
  if (content.size() < handle->position + std::size_t{count})
    content.resize(handle->position + std::size_t{count}, '\0');
  content.replace(handle->position, count, static_cast<const char*>(bytes), count);
  handle->position += count;
  return count;
}

std::uint32_t FakePlatform::writeBytesAt(platform::File file, std::uint32_t offset,
                                         const void* bytes, std::uint32_t count) {
  Handle* handle = handleOf(file);
  if (!handle) return 0;
  handle->position = offset;
  return writeBytes(file, bytes, count);
}

bool FakePlatform::closeFile(platform::File file) {
  if (file == platform::NoFile) return true;
  auto found = handles_.find(file);
  if (found == handles_.end()) {
    ++misuses_;
    return false;
  }
  bool complete = !found->second.failed;
  handles_.erase(found);
  return complete;
}

platform::FileIdentity FakePlatform::identityOf(std::uint64_t id) const {
  if (filesPerVolume_ == 0) return {1, id};
  return {1 + id / filesPerVolume_, id % filesPerVolume_};
}

bool FakePlatform::fileIdentity(platform::File file, platform::FileIdentity& identity) {
  ++identityQueries_;
  Handle* handle = handleOf(file);
  if (!handle) return false;
  identity = identityOf(handle->node->id);
  return true;
}

bool FakePlatform::fileIdentityByName(std::string_view path, platform::FileIdentity& identity) {
  ++identityQueries_;
  std::string place;
  if (!placeByName(path, place)) return false;
  identity = identityOf(files_[place]->id);
  return true;
}

bool FakePlatform::fileIndex(platform::File file, std::uint64_t& index) {
  Handle* handle = handleOf(file);
  if (!handle) return false;
  index = identityOf(handle->node->id).index;
  return true;
}

bool FakePlatform::fileIndexByName(std::string_view path, std::uint64_t& index) {
  std::string place;
  if (!placeByName(path, place)) return false;
  index = identityOf(files_[place]->id).index;
  return true;
}

bool FakePlatform::placeByName(std::string_view path, std::string& place) const {
  std::string key;
  if (!resolve(path, key) || passesLinkBelowOutput(path)) return false;
  place = standingAt(key);
  return files_.count(place) != 0;
}

bool FakePlatform::findDirectory(std::string_view path, std::string& key) const {
  // Every component is a directory to walk, the last one too.
  std::string walked(untilNul(path));
  walked += '/';
  std::string resolved;
  if (walked == "/")
    resolved = joined(currentDirectory_);
  else if (!resolve(walked, resolved) || passesLinkBelowOutput(walked))
    return false;
  return lookUp(resolved, key) && directories_.count(key) != 0;
}

platform::EntryKind FakePlatform::kindAt(const std::string& key) const {
  std::string target;
  if (!locate(key, true, false, target)) return platform::EntryKind::Other;
  if (files_.count(target)) return platform::EntryKind::File;
  if (directories_.count(target)) return platform::EntryKind::Directory;
  return platform::EntryKind::Other;
}

bool FakePlatform::listDirectory(std::string_view path,
                                 std::vector<platform::DirectoryEntry>& entries) {
  entries.clear();
  std::string directory;
  if (!findDirectory(path, directory)) return false;
  auto add = [&](std::string_view name, const std::string& key) {
    entries.push_back({std::string(name), kindAt(key), links_.count(key) != 0});
  };
  forEachChild(files_, directory, add);
  forEachChild(directories_, directory, add);
  forEachChild(fifos_, directory, add);
  forEachChild(links_, directory, add);
  return true;
}

bool FakePlatform::directoryIdentity(std::string_view path, platform::FileIdentity& identity) {
  std::string directory;
  if (!findDirectory(path, directory)) return false;
  // A volume of their own: no directory is ever taken for a file.
  auto slot = directoryIds_.try_emplace(directory, directoryIds_.size() + 1).first;
  identity = {0, slot->second};
  return true;
}

void* FakePlatform::obtainMemory(std::size_t size, MemoryUse use, std::string_view subject) {
  FaultPoint point;
  point.memory = true;
  point.use = use;
  point.name.assign(subject);
  if (reach(point)) return nullptr;
  auto* block = static_cast<unsigned char*>(std::malloc(size + GuardBytes));
  std::memset(block + size, GuardByte, GuardBytes);
  blocks_[block] = size;
  peakBlocks_ = std::max(peakBlocks_, blocks_.size());
  return block;
}

void FakePlatform::releaseMemory(void* block) {
  auto found = blocks_.find(block);
  if (found == blocks_.end()) {
    ++misuses_;
    return;
  }
  const unsigned char* guard = static_cast<unsigned char*>(block) + found->second;
  for (std::size_t i = 0; i < GuardBytes; ++i) {
    if (guard[i] != GuardByte) {
      ++misuses_;  // written past its end
      break;
    }
  }
  blocks_.erase(found);
  std::free(block);
}

}  // namespace pirvex::testing

#include "platform/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>

#include "platform/text.h"

namespace pirvex::platform {
namespace {

constexpr std::string_view OutputDirectory = "pirVex";
constexpr std::string_view OutputDirectoryUpper = "pirVEX";

#ifdef O_PATH
constexpr int DirectoryFlags = O_PATH | O_DIRECTORY | O_CLOEXEC;
#else
constexpr int DirectoryFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;
#endif

FileIdentity identityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The path's components, split at "\" and "/", up to its zero byte.
std::vector<std::string_view> componentsOf(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || isPathSeparator(path[i])) {
      parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

bool existsAsWritten(int directory, const std::string& name) {
  struct stat info;
  return ::fstatat(directory, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

void writeAll(int descriptor, std::string_view message) {
  message = untilNul(message);
  while (!message.empty()) {
    ssize_t written = ::write(descriptor, message.data(), message.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    message.remove_prefix(static_cast<std::size_t>(written));
  }
}

// Reads until the count is reached or the file ends, as one ReadFile does.
std::uint32_t readFully(int descriptor, bool positioned, std::uint64_t offset, void* destination,
                        std::uint32_t count) {
  auto* bytes = static_cast<char*>(destination);
  std::uint32_t done = 0;
  while (done < count) {
    ssize_t got = positioned ? ::pread(descriptor, bytes + done, count - done,
                                       static_cast<off_t>(offset + done))
                             : ::read(descriptor, bytes + done, count - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    done += static_cast<std::uint32_t>(got);
  }
  return done;
}

}  // namespace

// A descriptor of the directory that holds the path's last component, closed
// with the Place; or the current directory.
struct PosixPlatform::Place {
  int directory = -1;
  std::string name;

  Place() = default;
  Place(const Place&) = delete;
  Place& operator=(const Place&) = delete;
  ~Place() {
    if (directory >= 0) ::close(directory);
  }
  int at() const { return directory >= 0 ? directory : AT_FDCWD; }
  void enter(int descriptor) {
    if (directory >= 0) ::close(directory);
    directory = descriptor;
  }
};

void PosixPlatform::prepareProcess() {
  (void)::signal(SIGPIPE, SIG_IGN);
  (void)::signal(SIGXFSZ, SIG_IGN);
  for (int descriptor = 0; descriptor <= 2; ++descriptor) {
    if (::fcntl(descriptor, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free descriptor is this one.
    if (::open("/dev/null", O_RDWR) < 0) return;
  }
}

PosixPlatform::~PosixPlatform() {
  for (OpenFile* file : open_) {
    ::close(file->descriptor);
    delete file;
  }
  if (outputLock_ >= 0) ::close(outputLock_);
}

// The output directory is locked, by its identity however it is reached, for
// as long as this run uses it: a second run in it waits.
void PosixPlatform::lockOutputDirectory(bool create) {
  if (outputLock_ != -1) return;
  std::string name(OutputDirectory);
  if (create) ::mkdir(name.c_str(), 0777);
  int descriptor = ::open(name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (descriptor < 0) return;
  int locked;
  while ((locked = ::flock(descriptor, LOCK_EX)) != 0 && errno == EINTR) {
  }
  if (locked != 0) {
    ::close(descriptor);
    outputLock_ = -2;  // the file system locks nothing; run without
    return;
  }
  outputLock_ = descriptor;
}

bool PosixPlatform::findIgnoringCase(int directory, const std::string& name, std::string& found) {
  int listed = ::openat(directory, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return false;
  struct stat info;
  if (::fstat(listed, &info) != 0) {
    ::close(listed);
    return false;
  }
  auto key = std::make_pair(static_cast<std::uint64_t>(info.st_dev),
                            static_cast<std::uint64_t>(info.st_ino));
  auto cached = listings_.find(key);
  if (cached == listings_.end()) {
    std::map<std::string, std::string> names;
    if (DIR* entries = ::fdopendir(listed)) {
      listed = -1;
      while (dirent* entry = ::readdir(entries)) {
        std::string entryName = entry->d_name;
        std::string upper = entryName;
        for (char& c : upper) c = static_cast<char>(upperAscii(c));
        auto [slot, added] = names.emplace(std::move(upper), entryName);
        if (!added && entryName < slot->second) slot->second = entryName;
      }
      ::closedir(entries);
    }
    cached = listings_.emplace(key, std::move(names)).first;
  }
  if (listed >= 0) ::close(listed);
  std::string upper = name;
  for (char& c : upper) c = static_cast<char>(upperAscii(c));
  auto match = cached->second.find(upper);
  if (match == cached->second.end()) return false;
  found = match->second;
  return true;
}

// Walks the directories of the path, one descriptor at a time, so that the
// cost is linear in the path. Creating, the directories are made as they
// are met; below the output directory none of them may be a symbolic link.
// Reading, links are followed, and a component that does not exist as
// written is looked up without regard to case.
bool PosixPlatform::walk(std::string_view path, Walk mode, Place& place) {
  path = untilNul(path);
  if (path.empty()) return false;
  std::vector<std::string_view> parts = componentsOf(path);
  const bool absolute = isPathSeparator(path.front());
  if (absolute) place.enter(::open("/", DirectoryFlags));
  // Levels below the output directory of the directory now held; -1 while
  // the walk is not inside it.
  int depth = -1;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    if (parts[i].empty() || parts[i] == ".") continue;
    std::string name(parts[i]);
    const bool output = i == 0 && !absolute &&
                        (parts[i] == OutputDirectory || parts[i] == OutputDirectoryUpper);
    if (output) {
      name = OutputDirectory;
      lockOutputDirectory(mode == Walk::Create);
    }
    const bool climbing = name == "..";
    if (mode == Walk::Create && !climbing) ::mkdirat(place.at(), name.c_str(), 0777);
    int flags = DirectoryFlags;
    if (depth >= 0 && !climbing) flags |= O_NOFOLLOW;
    int descriptor = ::openat(place.at(), name.c_str(), flags);
    if (descriptor < 0 && mode == Walk::Read && errno == ENOENT &&
        !existsAsWritten(place.at(), name)) {
      std::string found;
      if (findIgnoringCase(place.at(), name, found))
        descriptor = ::openat(place.at(), found.c_str(), flags);
    }
    if (descriptor < 0) return false;
    place.enter(descriptor);
    if (output)
      depth = 0;
    else if (climbing && depth >= 0)
      --depth;
    else if (depth >= 0)
      ++depth;
  }
  place.name.assign(parts.back());
  return true;
}

File PosixPlatform::registerDescriptor(int descriptor) {
  auto* file = new OpenFile;
  file->descriptor = descriptor;
  struct stat info;
  if (::fstat(descriptor, &info) == 0) file->identity = identityOf(info);
  open_.push_back(file);
  return reinterpret_cast<File>(file);
}

bool PosixPlatform::heldOpen(const FileIdentity& identity) const {
  return std::any_of(open_.begin(), open_.end(),
                     [&](const OpenFile* file) { return file->identity == identity; });
}

void PosixPlatform::printMessage(std::string_view message) { writeAll(STDOUT_FILENO, message); }

void PosixPlatform::printError(std::string_view message) { writeAll(STDERR_FILENO, message); }

void PosixPlatform::createDirectories(std::string_view path) {
  Place place;
  (void)walk(path, Walk::Create, place);
}

File PosixPlatform::createFileAnew(std::string_view path) {
  Place place;
  if (!walk(path, Walk::Create, place) || place.name.empty()) return NoFile;
  const char* name = place.name.c_str();
  struct stat info;
  if (::fstatat(place.at(), name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
      heldOpen(identityOf(info))) {
    int descriptor = ::openat(place.at(), name, O_RDWR | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    return descriptor < 0 ? NoFile : registerDescriptor(descriptor);
  }
  // A fresh directory entry: whatever stood there, a planted link included,
  // is replaced and never written through.
  ::unlinkat(place.at(), name, 0);
  int descriptor =
      ::openat(place.at(), name, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  if (descriptor < 0) return NoFile;
  // The directory has a new name now: its listing is out of date.
  struct stat directory;
  if (::fstatat(place.at(), ".", &directory, 0) == 0)
    listings_.erase({static_cast<std::uint64_t>(directory.st_dev),
                     static_cast<std::uint64_t>(directory.st_ino)});
  return registerDescriptor(descriptor);
}

int PosixPlatform::openExistingForReading(std::string_view path) {
  Place place;
  if (!walk(path, Walk::Read, place) || place.name.empty()) return -1;
  // Not blocking: a FIFO opens at once, and is then refused as what it is.
  const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
  int descriptor = ::openat(place.at(), place.name.c_str(), flags);
  if (descriptor < 0 && errno == ENOENT && !existsAsWritten(place.at(), place.name)) {
    std::string found;
    if (findIgnoringCase(place.at(), place.name, found))
      descriptor = ::openat(place.at(), found.c_str(), flags);
  }
  if (descriptor < 0) return -1;
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(descriptor);
    return -1;
  }
  return descriptor;
}

File PosixPlatform::openForReading(std::string_view path) {
  int descriptor = openExistingForReading(path);
  return descriptor < 0 ? NoFile : registerDescriptor(descriptor);
}

File PosixPlatform::openForWriting(std::string_view path, std::uint32_t offset) {
  Place place;
  if (!walk(path, Walk::Existing, place) || place.name.empty()) return NoFile;
  int descriptor =
      ::openat(place.at(), place.name.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return NoFile;
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || !S_ISREG(info.st_mode) ||
      ::lseek(descriptor, static_cast<off_t>(offset), SEEK_SET) < 0) {
    ::close(descriptor);
    return NoFile;
  }
  return registerDescriptor(descriptor);
}

bool PosixPlatform::fileSize(File file, std::uint32_t& size) {
  struct stat info;
  if (file == NoFile || ::fstat(descriptorOf(file), &info) != 0) return false;
  size = static_cast<std::uint32_t>(static_cast<std::uint64_t>(info.st_size));
  return true;
}

std::uint32_t PosixPlatform::readBytes(File file, void* destination, std::uint32_t count) {
  if (file == NoFile) return 0;
  return readFully(descriptorOf(file), false, 0, destination, count);
}

std::uint32_t PosixPlatform::readBytesAt(File file, std::uint32_t offset, void* destination,
                                         std::uint32_t count) {
  if (file == NoFile) return 0;
  int descriptor = descriptorOf(file);
  // The file position follows, as after SetFilePointer and ReadFile.
  std::uint32_t done = readFully(descriptor, true, offset, destination, count);
  ::lseek(descriptor, static_cast<off_t>(offset) + done, SEEK_SET);
  return done;
}

std::uint32_t PosixPlatform::writeBytes(File file, const void* bytes, std::uint32_t count) {
  if (file == NoFile) return 0;
  auto* target = reinterpret_cast<OpenFile*>(file);
  const auto* data = static_cast<const char*>(bytes);
  std::uint32_t done = 0;
  while (done < count) {
    ssize_t put = ::write(target->descriptor, data + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<std::uint32_t>(put);
  }
  if (done < count) target->failed = true;
  return done;
}

std::uint32_t PosixPlatform::writeBytesAt(File file, std::uint32_t offset, const void* bytes,
                                          std::uint32_t count) {
  if (file == NoFile) return 0;
  if (::lseek(descriptorOf(file), static_cast<off_t>(offset), SEEK_SET) < 0) {
    reinterpret_cast<OpenFile*>(file)->failed = true;
    return 0;
  }
  return writeBytes(file, bytes, count);
}

bool PosixPlatform::closeFile(File file) {
  if (file == NoFile) return true;
  auto* target = reinterpret_cast<OpenFile*>(file);
  auto found = std::find(open_.begin(), open_.end(), target);
  if (found == open_.end()) return false;
  open_.erase(found);
  bool complete = !target->failed;
  if (::close(target->descriptor) != 0 && errno != EINTR) complete = false;
  delete target;
  return complete;
}

bool PosixPlatform::fileIdentity(File file, FileIdentity& identity) {
  struct stat info;
  if (file == NoFile || ::fstat(descriptorOf(file), &info) != 0) return false;
  identity = identityOf(info);
  return true;
}

bool PosixPlatform::fileIdentityByName(std::string_view path, FileIdentity& identity) {
  Place place;
  struct stat info;
  if (!walk(path, Walk::Existing, place) || place.name.empty() ||
      ::fstatat(place.at(), place.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
    return false;
  identity = identityOf(info);
  return true;
}

// The directory itself is the place reached: every component of the path is
// walked as a directory, as a file to read has its directories walked.
bool PosixPlatform::walkToDirectory(std::string_view path, Place& place) {
  // With a separator after it the walk ends in the directory itself (the
  // current directory where no path is given).
  const std::string_view directory = untilNul(path);
  std::string whole(directory.empty() ? std::string_view(".") : directory);
  whole += '/';
  return walk(whole, Walk::Read, place);
}

namespace {

EntryKind kindOf(mode_t mode) {
  if (S_ISREG(mode)) return EntryKind::File;
  if (S_ISDIR(mode)) return EntryKind::Directory;
  return EntryKind::Other;
}

// The kind the directory gives with the name saves a stat for every name
// but a link, which is followed; a file system that gives none is asked.
DirectoryEntry describe(int directory, const dirent& found) {
  DirectoryEntry entry;
  entry.name = found.d_name;
  struct stat info;
  bool link = found.d_type == DT_LNK;
  if (found.d_type == DT_UNKNOWN) {
    if (::fstatat(directory, found.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) return entry;
    link = S_ISLNK(info.st_mode);
    if (!link) entry.kind = kindOf(info.st_mode);
  } else if (found.d_type == DT_REG) {
    entry.kind = EntryKind::File;
  } else if (found.d_type == DT_DIR) {
    entry.kind = EntryKind::Directory;
  }
  entry.link = link;
  if (link && ::fstatat(directory, found.d_name, &info, 0) == 0) entry.kind = kindOf(info.st_mode);
  return entry;
}

}  // namespace

bool PosixPlatform::listDirectory(std::string_view path, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  Place place;
  if (!walkToDirectory(path, place)) return false;
  int listed = ::openat(place.at(), ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return false;
  DIR* names = ::fdopendir(listed);
  if (!names) {
    ::close(listed);
    return false;
  }
  while (const dirent* found = ::readdir(names)) {
    std::string_view name = found->d_name;
    if (name == "." || name == "..") continue;
    entries.push_back(describe(listed, *found));
  }
  ::closedir(names);
  return true;
}

bool PosixPlatform::directoryIdentity(std::string_view path, FileIdentity& identity) {
  Place place;
  struct stat info;
  if (!walkToDirectory(path, place) || ::fstatat(place.at(), ".", &info, 0) != 0) return false;
  identity = identityOf(info);
  return true;
}

void* PosixPlatform::obtainMemory(std::size_t size, MemoryUse, std::string_view) {
  return std::malloc(size == 0 ? 1 : size);
}

void PosixPlatform::releaseMemory(void* block) { std::free(block); }

namespace {

void* runWork(void* work) {
  const Work& started = *static_cast<Work*>(work);
  started.run(started.argument);
  return nullptr;
}

}  // namespace

void PosixPlatform::startWork(Work& work, void (*run)(void*), void* argument) {
  work.run = run;
  work.argument = argument;
  work.thread = nullptr;
  auto* thread = new (std::nothrow) pthread_t;
  if (thread && pthread_create(thread, nullptr, runWork, &work) == 0) {
    work.thread = thread;
    return;
  }
  // No second thread to be had: the work is done here and now.
  delete thread;
  run(argument);
}

void PosixPlatform::awaitWork(Work& work) {
  auto* thread = static_cast<pthread_t*>(work.thread);
  if (!thread) return;
  (void)pthread_join(*thread, nullptr);
  delete thread;
  work.thread = nullptr;
}

std::string PosixPlatform::commandLine(int argc, char** argv) { return joinArguments(argc, argv); }

std::string joinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string_view argument = argv[i] ? argv[i] : "";
    if (i > 0) line += ' ';
    bool quote = argument.empty() || argument.find(' ') != std::string_view::npos;
    // A long option keeps its "--name=" outside the quotes, which then hold
    // its value alone, as the line is read.
    std::size_t equals = argument.find('=');
    if (quote && argument.starts_with("--") && equals != std::string_view::npos) {
      line += argument.substr(0, equals + 1);
      argument.remove_prefix(equals + 1);
    }
    if (quote) line += '"';
    line += argument;
    if (quote) line += '"';
  }
  return line;
}

}  // namespace pirvex::platform

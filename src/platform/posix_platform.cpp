#include "platform/posix_platform.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/text.h"

namespace pirvex::platform {
namespace {

constexpr std::string_view OutputDirectory = "pirVex";
constexpr std::string_view OutputDirectoryUpper = "pirVEX";

bool isSeparator(char c) { return c == '\\' || c == '/'; }

FileIdentity identityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

// The path as the system sees it: up to its zero byte, "/" for "\", and the
// output directory under one spelling.
std::string systemPath(std::string_view path) {
  std::string mapped(untilNul(path));
  std::replace(mapped.begin(), mapped.end(), '\\', '/');
  if (mapped.compare(0, OutputDirectoryUpper.size(), OutputDirectoryUpper) == 0 &&
      (mapped.size() == OutputDirectoryUpper.size() ||
       mapped[OutputDirectoryUpper.size()] == '/')) {
    mapped.replace(0, OutputDirectoryUpper.size(), OutputDirectory);
  }
  return mapped;
}

bool exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

// Looks the path up component by component without regard to the case of
// a-z, as the Windows file system does: a component as written wins where it
// exists, otherwise the first match in byte order of the directory's names.
std::string resolveIgnoringCase(const std::string& path) {
  if (path.empty() || exists(path)) return path;
  std::string resolved;
  std::size_t start = 0;
  if (path[0] == '/') {
    resolved = "/";
    start = 1;
  }
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string component = path.substr(start, end - start);
    std::string candidate = resolved + component;
    if (!component.empty() && component != "." && component != ".." && !exists(candidate)) {
      std::string best;
      bool found = false;
      if (DIR* directory = ::opendir(resolved.empty() ? "." : resolved.c_str())) {
        while (dirent* entry = ::readdir(directory)) {
          std::string_view name = entry->d_name;
          if (equalIgnoringAsciiCase(name, component) && (!found || name < best)) {
            best = name;
            found = true;
          }
        }
        ::closedir(directory);
      }
      if (!found) return path;
      candidate = resolved + best;
    }
    resolved = candidate;
    if (end == path.size()) break;
    resolved += '/';
    start = end + 1;
  }
  return resolved;
}

int openExistingForReading(std::string_view path) {
  std::string mapped = resolveIgnoringCase(systemPath(path));
  if (mapped.empty()) return -1;
  int descriptor = ::open(mapped.c_str(), O_RDONLY | O_CLOEXEC);
  if (descriptor < 0) return -1;
  struct stat info;
  if (::fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
    ::close(descriptor);
    return -1;
  }
  return descriptor;
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

PosixPlatform::~PosixPlatform() {
  for (OpenFile* file : open_) {
    ::close(file->descriptor);
    delete file;
  }
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

void PosixPlatform::printMessage(std::string_view message) {
  message = untilNul(message);
  while (!message.empty()) {
    ssize_t written = ::write(STDOUT_FILENO, message.data(), message.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    message.remove_prefix(static_cast<std::size_t>(written));
  }
}

void PosixPlatform::createDirectories(std::string_view path) {
  std::string_view whole = untilNul(path);
  for (std::size_t i = 1; i < whole.size(); ++i) {
    if (isSeparator(whole[i])) ::mkdir(systemPath(whole.substr(0, i)).c_str(), 0777);
  }
}

File PosixPlatform::createFileAnew(std::string_view path) {
  std::string mapped = systemPath(path);
  if (mapped.empty()) return NoFile;
  struct stat info;
  if (::lstat(mapped.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
      heldOpen(identityOf(info))) {
    int descriptor = ::open(mapped.c_str(), O_RDWR | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    return descriptor < 0 ? NoFile : registerDescriptor(descriptor);
  }
  // A fresh directory entry: whatever stood there, a planted link included,
  // is replaced and never written through.
  ::unlink(mapped.c_str());
  createDirectories(path);
  int descriptor = ::open(mapped.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  return descriptor < 0 ? NoFile : registerDescriptor(descriptor);
}

File PosixPlatform::openForReading(std::string_view path) {
  int descriptor = openExistingForReading(path);
  return descriptor < 0 ? NoFile : registerDescriptor(descriptor);
}

bool PosixPlatform::fileSizeByName(std::string_view path, std::uint32_t& size) {
  int descriptor = openExistingForReading(path);
  if (descriptor < 0) return false;
  struct stat info;
  bool known = ::fstat(descriptor, &info) == 0;
  ::close(descriptor);
  if (!known) return false;
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
  const auto* data = static_cast<const char*>(bytes);
  std::uint32_t done = 0;
  while (done < count) {
    ssize_t put = ::write(descriptorOf(file), data + done, count - done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) break;
    done += static_cast<std::uint32_t>(put);
  }
  return done;
}

void PosixPlatform::closeFile(File file) {
  if (file == NoFile) return;
  auto* target = reinterpret_cast<OpenFile*>(file);
  auto found = std::find(open_.begin(), open_.end(), target);
  if (found == open_.end()) return;
  open_.erase(found);
  ::close(target->descriptor);
  delete target;
}

bool PosixPlatform::fileIdentity(File file, FileIdentity& identity) {
  struct stat info;
  if (file == NoFile || ::fstat(descriptorOf(file), &info) != 0) return false;
  identity = identityOf(info);
  return true;
}

void* PosixPlatform::obtainMemory(std::size_t size, MemoryUse, std::string_view) {
  return std::malloc(size == 0 ? 1 : size);
}

void PosixPlatform::releaseMemory(void* block) { std::free(block); }

std::string PosixPlatform::commandLine(int argc, char** argv) { return joinArguments(argc, argv); }

std::string joinArguments(int argc, const char* const* argv) {
  std::string line;
  for (int i = 0; i < argc; ++i) {
    std::string_view argument = argv[i] ? argv[i] : "";
    if (i > 0) line += ' ';
    bool quote = argument.empty() || argument.find(' ') != std::string_view::npos;
    if (quote) line += '"';
    line += argument;
    if (quote) line += '"';
  }
  return line;
}

}  // namespace pirvex::platform

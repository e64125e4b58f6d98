// POSIX back end of the platform services.
//
// Paths arrive in the Windows form the rest of pirVex uses: "\" separates,
// the output directory is spelt "pirVex" or "pirVEX", and sources name their
// include files in any letter case. This back end maps them so that a run
// here gives the same files as a run on Windows.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/faults.h"
#include "platform/platform.h"

namespace pirvex::platform {
namespace {

constexpr std::string_view OutputDirectory = "pirVex";
constexpr std::string_view OutputDirectoryUpper = "pirVEX";

// A file this process holds open. Writes collect in `pending` and reach the
// file before any other service call, so nothing that reads, sizes or
// recreates a file can miss them; for a file open under two handles, each
// handle's bytes reach it before another handle of it writes.
struct OpenFile {
  int descriptor = -1;
  dev_t device = 0;
  ino_t inode = 0;
  bool aliased = false;
  bool listed = false;  // in filesWithPending
  std::string pending;
};

constexpr std::size_t WriteBufferSize = 32 * 1024;

std::vector<OpenFile*> openFiles;
std::vector<OpenFile*> filesWithPending;

OpenFile* recordOf(File file) { return reinterpret_cast<OpenFile*>(file); }

bool isFile(const OpenFile& file, dev_t device, ino_t inode) {
  return file.device == device && file.inode == inode;
}

bool writeThrough(int descriptor, const char* data, std::size_t count) {
  while (count > 0) {
    ssize_t put = ::write(descriptor, data, count);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    count -= static_cast<std::size_t>(put);
  }
  return true;
}

void flush(OpenFile& file) {
  if (file.pending.empty()) return;
  writeThrough(file.descriptor, file.pending.data(), file.pending.size());
  file.pending.clear();
}

void flushAll() {
  for (OpenFile* file : filesWithPending) {
    flush(*file);
    file->listed = false;
  }
  filesWithPending.clear();
}

// Flushes whatever is still held when the process ends.
struct FlushAtExit {
  ~FlushAtExit() { flushAll(); }
} flushAtExit;

File registerDescriptor(int descriptor) {
  auto* file = new OpenFile;
  file->descriptor = descriptor;
  struct stat info;
  if (::fstat(descriptor, &info) == 0) {
    file->device = info.st_dev;
    file->inode = info.st_ino;
    for (OpenFile* other : openFiles)
      if (isFile(*other, info.st_dev, info.st_ino)) file->aliased = other->aliased = true;
  }
  openFiles.push_back(file);
  return reinterpret_cast<File>(file);
}

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// The path as the system sees it: up to its zero byte, "/" for "\", and the
// output directory under one spelling.
std::string systemPath(std::string_view path) {
  std::string mapped(path.substr(0, path.find('\0')));
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

bool equalIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto fold = [](unsigned char c) {
      return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c;
    };
    if (fold(static_cast<unsigned char>(a[i])) != fold(static_cast<unsigned char>(b[i])))
      return false;
  }
  return true;
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
          if (equalIgnoringCase(name, component) && (!found || name < best)) {
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

int openExistingForReading(const std::string& path) {
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

bool heldOpen(const struct stat& target) {
  for (const OpenFile* file : openFiles)
    if (isFile(*file, target.st_dev, target.st_ino)) return true;
  return false;
}

}  // namespace

void printMessage(std::string_view message) {
  message = message.substr(0, message.find('\0'));
  while (!message.empty()) {
    ssize_t written = ::write(STDOUT_FILENO, message.data(), message.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return;
    message.remove_prefix(static_cast<std::size_t>(written));
  }
}

void createDirectories(const std::string& path) {
  flushAll();
  std::string_view whole(path.data(),
                         path.find('\0') == std::string::npos ? path.size() : path.find('\0'));
  for (std::size_t i = 1; i < whole.size(); ++i) {
    if (isSeparator(whole[i])) ::mkdir(systemPath(whole.substr(0, i)).c_str(), 0777);
  }
}

File createFileAnew(const std::string& path) {
  flushAll();
  std::string mapped = systemPath(path);
  if (mapped.empty()) return NoFile;
  struct stat info;
  if (::lstat(mapped.c_str(), &info) == 0 && S_ISREG(info.st_mode) && heldOpen(info)) {
    if (injectedFault(Service::CreateFileAnew)) return NoFile;
    int descriptor = ::open(mapped.c_str(), O_RDWR | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    return descriptor < 0 ? NoFile : registerDescriptor(descriptor);
  }
  // A fresh directory entry: whatever stood there, a planted link included,
  // is replaced and never written through.
  ::unlink(mapped.c_str());
  createDirectories(path);
  if (injectedFault(Service::CreateFileAnew)) return NoFile;
  int descriptor = ::open(mapped.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
  return descriptor < 0 ? NoFile : registerDescriptor(descriptor);
}

File openForReading(const std::string& path) {
  flushAll();
  if (injectedFault(Service::OpenForReading)) return NoFile;
  int descriptor = openExistingForReading(path);
  return descriptor < 0 ? NoFile : registerDescriptor(descriptor);
}

bool fileSizeByName(const std::string& path, std::uint32_t& size) {
  flushAll();
  if (injectedFault(Service::FileSizeByName)) return false;
  int descriptor = openExistingForReading(path);
  if (descriptor < 0) return false;
  struct stat info;
  bool known = ::fstat(descriptor, &info) == 0;
  ::close(descriptor);
  if (!known) return false;
  size = static_cast<std::uint32_t>(static_cast<std::uint64_t>(info.st_size));
  return true;
}

namespace {

// Reads until the count is reached or the file ends, as one ReadFile does.
std::uint32_t readFully(int descriptor, bool positioned, std::uint64_t offset, void* destination,
                        std::uint32_t count) {
  if (injectedFault(Service::ReadBytes)) count /= 2;
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

std::uint32_t readBytes(File file, void* destination, std::uint32_t count) {
  if (file == NoFile) return 0;
  flushAll();
  return readFully(recordOf(file)->descriptor, false, 0, destination, count);
}

std::uint32_t readBytesAt(File file, std::uint32_t offset, void* destination, std::uint32_t count) {
  if (file == NoFile) return 0;
  flushAll();
  int descriptor = recordOf(file)->descriptor;
  // The file position follows, as after SetFilePointer and ReadFile.
  std::uint32_t done = readFully(descriptor, true, offset, destination, count);
  ::lseek(descriptor, static_cast<off_t>(offset) + done, SEEK_SET);
  return done;
}

std::uint32_t writeBytes(File file, const void* bytes, std::uint32_t count) {
  if (file == NoFile || count == 0) return 0;
  OpenFile& target = *recordOf(file);
  const auto* data = static_cast<const char*>(bytes);
  // Bytes for one file under two handles reach it in call order.
  if (target.aliased) {
    for (OpenFile* other : filesWithPending)
      if (other != &target && isFile(*other, target.device, target.inode)) flush(*other);
  }
  if (target.pending.size() + count > WriteBufferSize) flush(target);
  if (count >= WriteBufferSize) return writeThrough(target.descriptor, data, count) ? count : 0;
  if (!target.listed) {
    if (target.pending.capacity() < WriteBufferSize) target.pending.reserve(WriteBufferSize);
    filesWithPending.push_back(&target);
    target.listed = true;
  }
  target.pending.append(data, count);
  return count;
}

void closeFile(File file) {
  if (file == NoFile) return;
  OpenFile* target = recordOf(file);
  auto found = std::find(openFiles.begin(), openFiles.end(), target);
  if (found == openFiles.end()) return;
  // Only this file's bytes are due now; the others wait for the next
  // service that could look at them.
  flush(*target);
  if (target->listed)
    filesWithPending.erase(std::find(filesWithPending.begin(), filesWithPending.end(), target));
  openFiles.erase(found);
  ::close(target->descriptor);
  delete target;
}

bool fileIdentity(File file, FileIdentity& identity) {
  struct stat info;
  if (file == NoFile || ::fstat(recordOf(file)->descriptor, &info) != 0) return false;
  identity.volume = static_cast<std::uint64_t>(info.st_dev);
  identity.index = static_cast<std::uint64_t>(info.st_ino);
  return true;
}

void* obtainMemory(std::size_t size) {
  if (injectedFault(Service::ObtainMemory)) return nullptr;
  return std::malloc(size == 0 ? 1 : size);
}

void releaseMemory(void* block) { std::free(block); }

std::string commandLine(int argc, char** argv) {
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

#include "platform/win32_platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>

#include "platform/text.h"

namespace pirvex::platform {
namespace {

constexpr std::string_view OutputDirectory = "pirVex";
constexpr std::string_view OutputDirectoryUpper = "pirVEX";

bool isSeparator(char c) { return c == '\\' || c == '/'; }

HANDLE handleOf(File file) { return reinterpret_cast<HANDLE>(file); }

File fileOf(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? NoFile : reinterpret_cast<File>(handle);
}

// Up to the first zero byte, as the "A" calls read it, with the output
// directory under one spelling.
std::string systemPath(std::string_view path) {
  std::string name(untilNul(path));
  if (name.compare(0, OutputDirectoryUpper.size(), OutputDirectoryUpper) == 0 &&
      (name.size() == OutputDirectoryUpper.size() || isSeparator(name[OutputDirectoryUpper.size()])))
    name.replace(0, OutputDirectoryUpper.size(), OutputDirectory);
  return name;
}

bool startsInOutput(const std::string& name) {
  return name.compare(0, OutputDirectory.size(), OutputDirectory) == 0 &&
         (name.size() == OutputDirectory.size() || isSeparator(name[OutputDirectory.size()]));
}

// Only a file on a disk is a file to read: not a directory, pipe or device.
HANDLE openExisting(std::string_view path) {
  HANDLE file = CreateFileA(systemPath(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0x27,
                            nullptr);
  if (file != INVALID_HANDLE_VALUE && GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

void writeAll(DWORD which, std::string_view message) {
  message = untilNul(message);
  HANDLE output = GetStdHandle(which);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(output, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
}

}  // namespace

void Win32Platform::prepareProcess() { SetErrorMode(SEM_FAILCRITICALERRORS); }

Win32Platform::~Win32Platform() {
  if (outputLock_) {
    ReleaseMutex(static_cast<HANDLE>(outputLock_));
    CloseHandle(static_cast<HANDLE>(outputLock_));
  }
}

// The output directory is locked for as long as this run uses it, by its
// identity however it is reached: a second run in it waits.
void Win32Platform::lockOutputDirectory(bool create) {
  if (lockTried_) return;
  std::string name(OutputDirectory);
  if (create) CreateDirectoryA(name.c_str(), nullptr);
  HANDLE directory = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE |
                                 FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (directory == INVALID_HANDLE_VALUE) return;
  lockTried_ = true;
  BY_HANDLE_FILE_INFORMATION information;
  bool known = GetFileInformationByHandle(directory, &information);
  CloseHandle(directory);
  if (!known) return;
  char mutexName[96];
  std::snprintf(mutexName, sizeof mutexName, "Local\\pirVex-%lx-%lx-%lx",
                information.dwVolumeSerialNumber, information.nFileIndexHigh,
                information.nFileIndexLow);
  HANDLE mutex = CreateMutexA(nullptr, FALSE, mutexName);
  if (!mutex) return;
  DWORD waited = WaitForSingleObject(mutex, INFINITE);
  if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) {
    CloseHandle(mutex);
    return;
  }
  outputLock_ = mutex;
}

bool Win32Platform::makeDirectories(const std::string& path, bool create) {
  const bool output = startsInOutput(path);
  if (output) lockOutputDirectory(create);
  std::string prefix = path;
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (!isSeparator(path[i])) continue;
    prefix[i] = '\0';
    if (create) CreateDirectoryA(prefix.c_str(), nullptr);
    // Below the output directory a link or junction is never followed.
    if (output && i > OutputDirectory.size()) {
      DWORD attributes = GetFileAttributesA(prefix.c_str());
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    }
    prefix[i] = path[i];
  }
  return true;
}

void Win32Platform::printMessage(std::string_view message) {
  writeAll(STD_OUTPUT_HANDLE, message);
}

void Win32Platform::printError(std::string_view message) { writeAll(STD_ERROR_HANDLE, message); }

void Win32Platform::createDirectories(std::string_view path) {
  (void)makeDirectories(systemPath(path), true);
}

File Win32Platform::createFileAnew(std::string_view path) {
  std::string name = systemPath(path);
  // The directories first: nothing is deleted through a link below the
  // output directory.
  if (!makeDirectories(name, true)) return NoFile;
  DeleteFileA(name.c_str());
  return fileOf(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_ARCHIVE, nullptr));
}

File Win32Platform::openForReading(std::string_view path) {
  std::string name = systemPath(path);
  if (startsInOutput(name)) lockOutputDirectory(false);
  return fileOf(openExisting(name));
}

File Win32Platform::openForWriting(std::string_view path, std::uint32_t offset) {
  std::string name = systemPath(path);
  if (!makeDirectories(name, false)) return NoFile;
  HANDLE file = CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (file == INVALID_HANDLE_VALUE) return NoFile;
  if (GetFileType(file) != FILE_TYPE_DISK ||
      SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) ==
          INVALID_SET_FILE_POINTER) {
    CloseHandle(file);
    return NoFile;
  }
  return fileOf(file);
}

bool Win32Platform::fileSizeByName(std::string_view path, std::uint32_t& size) {
  std::string name = systemPath(path);
  if (startsInOutput(name)) lockOutputDirectory(false);
  HANDLE file = openExisting(name);
  if (file == INVALID_HANDLE_VALUE) return false;
  size = GetFileSize(file, nullptr);
  CloseHandle(file);
  return true;
}

std::uint32_t Win32Platform::readBytes(File file, void* destination, std::uint32_t count) {
  if (file == NoFile) return 0;
  DWORD got = 0;
  ReadFile(handleOf(file), destination, count, &got, nullptr);
  return got;
}

std::uint32_t Win32Platform::readBytesAt(File file, std::uint32_t offset, void* destination,
                                         std::uint32_t count) {
  if (file == NoFile) return 0;
  SetFilePointer(handleOf(file), static_cast<LONG>(offset), nullptr, FILE_BEGIN);
  return readBytes(file, destination, count);
}

std::uint32_t Win32Platform::writeBytes(File file, const void* bytes, std::uint32_t count) {
  if (file == NoFile) return 0;
  DWORD written = 0;
  if (!WriteFile(handleOf(file), bytes, count, &written, nullptr) || written < count)
    failed_.insert(file);
  return written;
}

bool Win32Platform::closeFile(File file) {
  if (file == NoFile) return true;
  bool complete = failed_.erase(file) == 0;
  if (!CloseHandle(handleOf(file))) complete = false;
  return complete;
}

bool Win32Platform::fileIdentity(File file, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION information;
  if (file == NoFile || !GetFileInformationByHandle(handleOf(file), &information)) return false;
  identity.volume = information.dwVolumeSerialNumber;
  identity.index =
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return true;
}

bool Win32Platform::fileIdentityByName(std::string_view path, FileIdentity& identity) {
  HANDLE file = CreateFileA(systemPath(path).c_str(), 0,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool known = fileIdentity(fileOf(file), identity);
  CloseHandle(file);
  return known;
}

void* Win32Platform::obtainMemory(std::size_t size, MemoryUse, std::string_view) {
  return reinterpret_cast<void*>(GlobalAlloc(GMEM_FIXED, size));
}

void Win32Platform::releaseMemory(void* block) { GlobalFree(reinterpret_cast<HGLOBAL>(block)); }

std::string Win32Platform::commandLine(int, char**) {
  const char* line = GetCommandLineA();
  return line ? line : "";
}

}  // namespace pirvex::platform

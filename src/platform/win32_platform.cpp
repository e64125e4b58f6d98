#include "platform/win32_platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <string>
#include <type_traits>
#include <vector>

#include "platform/text.h"

namespace pirvex::platform {
namespace {

constexpr std::string_view OutputDirectory = "pirVex";
constexpr std::string_view OutputDirectoryUpper = "pirVEX";

HANDLE handleOf(File file) { return reinterpret_cast<HANDLE>(file); }

File fileOf(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? NoFile : reinterpret_cast<File>(handle);
}

// Up to the first zero byte, as the "A" calls read it, with the output
// directory under one spelling.
std::string systemPath(std::string_view path) {
  std::string name(untilNul(path));
  if (name.compare(0, OutputDirectoryUpper.size(), OutputDirectoryUpper) == 0 &&
      (name.size() == OutputDirectoryUpper.size() ||
       isPathSeparator(name[OutputDirectoryUpper.size()])))
    name.replace(0, OutputDirectoryUpper.size(), OutputDirectory);
  return name;
}

// The "A" calls take names of fewer than MAX_PATH bytes, directories twelve
// bytes fewer. A longer name goes to the "W" call in its long form:
// absolute, "\\?\" before it, "\" its only separator, "." and ".." resolved
// as text (the system resolves nothing in that form), converted from the
// ANSI code page as the "A" call would convert it.
constexpr std::size_t LongName = MAX_PATH - 12;

std::wstring widened(std::string_view text) {
  if (text.empty()) return {};
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), wide.data(), size);
  return wide;
}

bool isWideSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Empty where no long form can be made (a UNC name, a current directory
// that is none).
std::wstring longForm(const std::string& name) {
  std::wstring path = widened(name);
  std::wstring absolute;
  if (path.size() >= 3 && path[1] == L':' && isWideSeparator(path[2])) {
    absolute = path;
  } else {
    if (path.size() >= 2 && path[1] == L':') return {};  // relative to a drive's own directory
    DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return {};
    std::wstring current(size, L'\0');
    current.resize(GetCurrentDirectoryW(size, current.data()));
    if (current.size() < 3 || current[1] != L':') return {};
    absolute = isWideSeparator(path.front()) ? current.substr(0, 2) + path
                                             : current + L"\\" + path;
  }
  std::wstring resolved = L"\\\\?\\" + absolute.substr(0, 2);
  const std::size_t root = resolved.size();
  std::size_t start = 3;
  for (std::size_t i = 3; i <= absolute.size(); ++i) {
    if (i < absolute.size() && !isWideSeparator(absolute[i])) continue;
    std::wstring_view part(absolute.data() + start, i - start);
    start = i + 1;
    if (part.empty() || part == L".") continue;
    if (part == L"..") {
      std::size_t last = resolved.rfind(L'\\');
      if (last >= root) resolved.resize(last);
      continue;
    }
    resolved += L'\\';
    resolved += part;
  }
  return resolved;
}

HANDLE createFile(const std::string& name, DWORD access, DWORD share, DWORD disposition,
                  DWORD flags) {
  if (name.size() < LongName)
    return CreateFileA(name.c_str(), access, share, nullptr, disposition, flags, nullptr);
  std::wstring wide = longForm(name);
  if (wide.empty()) return INVALID_HANDLE_VALUE;
  return CreateFileW(wide.c_str(), access, share, nullptr, disposition, flags, nullptr);
}

void createDirectory(const std::string& name) {
  if (name.size() < LongName) {
    CreateDirectoryA(name.c_str(), nullptr);
    return;
  }
  std::wstring wide = longForm(name);
  if (!wide.empty()) CreateDirectoryW(wide.c_str(), nullptr);
}

void deleteFile(const std::string& name) {
  if (name.size() < LongName) {
    DeleteFileA(name.c_str());
    return;
  }
  std::wstring wide = longForm(name);
  if (!wide.empty()) DeleteFileW(wide.c_str());
}

DWORD fileAttributes(const std::string& name) {
  if (name.size() < LongName) return GetFileAttributesA(name.c_str());
  std::wstring wide = longForm(name);
  return wide.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(wide.c_str());
}

bool startsInOutput(const std::string& name) {
  return name.compare(0, OutputDirectory.size(), OutputDirectory) == 0 &&
         (name.size() == OutputDirectory.size() || isPathSeparator(name[OutputDirectory.size()]));
}

// Only a file on a disk is a file to read: not a directory, pipe or device.
HANDLE openExisting(std::string_view path) {
  HANDLE file = createFile(systemPath(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           OPEN_EXISTING, 0x27);
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
  for (std::size_t i = 1; i < path.size(); ++i) {
    if (!isPathSeparator(path[i])) continue;
    const std::string prefix = path.substr(0, i);
    // A directory this run has made is not made again: under Wine every
    // attempt is a round trip to its server.
    if (create && made_.insert(prefix).second) createDirectory(prefix);
    // Below the output directory a link or junction is never followed.
    if (output && i > OutputDirectory.size()) {
      DWORD attributes = fileAttributes(prefix);
      if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return false;
    }
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
  deleteFile(name);
  return fileOf(createFile(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           CREATE_ALWAYS, FILE_ATTRIBUTE_ARCHIVE));
}

File Win32Platform::openForReading(std::string_view path) {
  std::string name = systemPath(path);
  if (startsInOutput(name)) lockOutputDirectory(false);
  return fileOf(openExisting(name));
}

File Win32Platform::openForWriting(std::string_view path, std::uint32_t offset) {
  std::string name = systemPath(path);
  if (!makeDirectories(name, false)) return NoFile;
  HANDLE file = createFile(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           OPEN_EXISTING, FILE_ATTRIBUTE_ARCHIVE | FILE_FLAG_OPEN_REPARSE_POINT);
  if (file == INVALID_HANDLE_VALUE) return NoFile;
  if (GetFileType(file) != FILE_TYPE_DISK ||
      SetFilePointer(file, static_cast<LONG>(offset), nullptr, FILE_BEGIN) ==
          INVALID_SET_FILE_POINTER) {
    CloseHandle(file);
    return NoFile;
  }
  return fileOf(file);
}

bool Win32Platform::fileSize(File file, std::uint32_t& size) {
  if (file == NoFile) return false;
  LARGE_INTEGER whole;
  if (!GetFileSizeEx(handleOf(file), &whole)) return false;
  size = static_cast<std::uint32_t>(whole.LowPart);
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

std::uint32_t Win32Platform::writeBytesAt(File file, std::uint32_t offset, const void* bytes,
                                          std::uint32_t count) {
  if (file == NoFile) return 0;
  if (SetFilePointer(handleOf(file), static_cast<LONG>(offset), nullptr, FILE_BEGIN) ==
      INVALID_SET_FILE_POINTER) {
    failed_.insert(file);
    return 0;
  }
  return writeBytes(file, bytes, count);
}

bool Win32Platform::closeFile(File file) {
  if (file == NoFile) return true;
  bool complete = failed_.erase(file) == 0;
  if (!CloseHandle(handleOf(file))) complete = false;
  return complete;
}

// The volume's serial number costs a query of the whole volume (under Wine
// a round trip through its mount manager): an identity is asked for only
// where a file's index, which fileIndex gives cheaply, is not enough.
bool Win32Platform::fileIdentity(File file, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION information;
  if (file == NoFile || !GetFileInformationByHandle(handleOf(file), &information)) return false;
  identity.volume = information.dwVolumeSerialNumber;
  identity.index =
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return true;
}

namespace {

// What stands at the path, itself and not where a link there leads, opened
// only to be asked about.
HANDLE openToQuery(std::string_view path) {
  return createFile(systemPath(path), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT);
}

}  // namespace

bool Win32Platform::fileIdentityByName(std::string_view path, FileIdentity& identity) {
  HANDLE file = openToQuery(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool known = fileIdentity(fileOf(file), identity);
  CloseHandle(file);
  return known;
}

// The file's number on its volume, as the file system keeps it (the index of
// its identity), without asking for the volume's information.
bool Win32Platform::fileIndex(File file, std::uint64_t& index) {
  if (file == NoFile) return false;
  IO_STATUS_BLOCK status;
  FILE_INTERNAL_INFORMATION information;
  if (!NT_SUCCESS(NtQueryInformationFile(handleOf(file), &status, &information,
                                         sizeof information, FileInternalInformation)))
    return false;
  index = static_cast<std::uint64_t>(information.IndexNumber.QuadPart);
  return true;
}

bool Win32Platform::fileIndexByName(std::string_view path, std::uint64_t& index) {
  HANDLE file = openToQuery(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool known = fileIndex(fileOf(file), index);
  CloseHandle(file);
  return known;
}

namespace {

std::string narrowed(const wchar_t* text) {
  int size = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string narrow(static_cast<std::size_t>(size - 1), '\0');
  WideCharToMultiByte(CP_ACP, 0, text, -1, narrow.data(), size, nullptr, nullptr);
  return narrow;
}

EntryKind kindOf(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryKind::Directory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryKind::Other;
  return EntryKind::File;
}

// Where a reparse point leads: what opens through it, asked about; a link
// that leads nowhere opens nothing.
EntryKind kindThrough(const std::string& path) {
  HANDLE file = createFile(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (file == INVALID_HANDLE_VALUE) return EntryKind::Other;
  BY_HANDLE_FILE_INFORMATION information;
  bool known = GetFileInformationByHandle(file, &information);
  bool disk = GetFileType(file) == FILE_TYPE_DISK;
  CloseHandle(file);
  return known && disk ? kindOf(information.dwFileAttributes) : EntryKind::Other;
}

// `directory` is "" or ends in a separator. A name that the listing gives
// as an empty file may stand for a FIFO or device of the system below (Wine
// lists a host FIFO so): what opens there tells.
template <typename Data>
void addEntry(std::vector<DirectoryEntry>& entries, const std::string& directory,
              std::string name, const Data& found) {
  if (name == "." || name == "..") return;
  const DWORD attributes = found.dwFileAttributes;
  DirectoryEntry entry;
  entry.link = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  const bool empty = !(attributes & FILE_ATTRIBUTE_DIRECTORY) && found.nFileSizeHigh == 0 &&
                     found.nFileSizeLow == 0;
  entry.kind = entry.link || empty ? kindThrough(directory + name) : kindOf(attributes);
  entry.name = std::move(name);
  entries.push_back(std::move(entry));
}

// Every name of the search, "." and ".." left out. A directory without a
// name in it (a drive's empty root) finds nothing, and is listed empty.
template <typename Data, typename Next>
bool collect(HANDLE search, Data& found, Next next, std::vector<DirectoryEntry>& entries,
             const std::string& directory) {
  if (search == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    if constexpr (std::is_same_v<Data, WIN32_FIND_DATAW>)
      addEntry(entries, directory, narrowed(found.cFileName), found);
    else
      addEntry(entries, directory, found.cFileName, found);
  } while (next(search, &found));
  FindClose(search);
  return true;
}

}  // namespace

bool Win32Platform::listDirectory(std::string_view path, std::vector<DirectoryEntry>& entries) {
  entries.clear();
  std::string directory = systemPath(path);
  if (directory == ".") directory.clear();
  if (!directory.empty() && !isPathSeparator(directory.back())) directory += '\\';
  DWORD attributes = fileAttributes(directory.empty() ? std::string(".") : directory);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    return false;
  const std::string search = directory + "*";
  if (search.size() < LongName) {
    WIN32_FIND_DATAA found;
    return collect(FindFirstFileA(search.c_str(), &found), found, FindNextFileA, entries,
                   directory);
  }
  std::wstring wide = longForm(search);
  if (wide.empty()) return false;
  WIN32_FIND_DATAW found;
  return collect(FindFirstFileW(wide.c_str(), &found), found, FindNextFileW, entries, directory);
}

bool Win32Platform::directoryIdentity(std::string_view path, FileIdentity& identity) {
  std::string name = systemPath(path);
  if (name.empty() || isPathSeparator(name.back())) name += '.';
  HANDLE directory = createFile(name, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (directory == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION information;
  bool known = GetFileInformationByHandle(directory, &information) &&
               (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  CloseHandle(directory);
  if (!known) return false;
  identity.volume = information.dwVolumeSerialNumber;
  identity.index =
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return true;
}

// The process heap: blocks are taken and given back in their thousands (a
// scratch block for every escaped name), which the global-memory calls
// make several times as costly.
void* Win32Platform::obtainMemory(std::size_t size, MemoryUse, std::string_view) {
  return HeapAlloc(GetProcessHeap(), 0, size == 0 ? 1 : size);
}

void Win32Platform::releaseMemory(void* block) {
  if (block) HeapFree(GetProcessHeap(), 0, block);
}

namespace {

DWORD WINAPI runWork(LPVOID work) {
  const Work& started = *static_cast<Work*>(work);
  started.run(started.argument);
  return 0;
}

}  // namespace

void Win32Platform::startWork(Work& work, void (*run)(void*), void* argument) {
  work.run = run;
  work.argument = argument;
  work.thread = CreateThread(nullptr, 0, runWork, &work, 0, nullptr);
  // No second thread to be had: the work is done here and now.
  if (!work.thread) run(argument);
}

void Win32Platform::awaitWork(Work& work) {
  if (!work.thread) return;
  WaitForSingleObject(work.thread, INFINITE);
  CloseHandle(work.thread);
  work.thread = nullptr;
}

std::string Win32Platform::commandLine(int, char**) {
  const char* line = GetCommandLineA();
  return line ? line : "";
}

}  // namespace pirvex::platform

// Win32 back end of the platform services: the KERNEL32 "A" calls, each
// with the arguments the rest of pirVex was designed against. Paths go to
// the system as they are; the file system ignores case, and "pirVex" and
// "pirVEX" name one directory by themselves.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/faults.h"
#include "platform/platform.h"

namespace pirvex::platform {
namespace {

HANDLE handleOf(File file) { return reinterpret_cast<HANDLE>(file); }

File fileOf(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? NoFile : reinterpret_cast<File>(handle);
}

// Up to the first zero byte, as the "A" calls read it.
std::string zeroTerminated(const std::string& path) { return std::string(path.c_str()); }

HANDLE openExisting(const std::string& path) {
  return CreateFileA(zeroTerminated(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0x27, nullptr);
}

}  // namespace

void printMessage(std::string_view message) {
  message = message.substr(0, message.find('\0'));
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(output, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
}

void createDirectories(const std::string& path) {
  std::string whole = zeroTerminated(path);
  for (std::size_t i = 1; i < whole.size(); ++i) {
    if (whole[i] != '\\') continue;
    whole[i] = '\0';
    CreateDirectoryA(whole.c_str(), nullptr);
    whole[i] = '\\';
  }
}

File createFileAnew(const std::string& path) {
  std::string name = zeroTerminated(path);
  DeleteFileA(name.c_str());
  createDirectories(name);
  if (injectedFault(Service::CreateFileAnew)) return NoFile;
  return fileOf(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_ARCHIVE, nullptr));
}

File openForReading(const std::string& path) {
  if (injectedFault(Service::OpenForReading)) return NoFile;
  return fileOf(openExisting(path));
}

bool fileSizeByName(const std::string& path, std::uint32_t& size) {
  if (injectedFault(Service::FileSizeByName)) return false;
  HANDLE file = openExisting(path);
  if (file == INVALID_HANDLE_VALUE) return false;
  size = GetFileSize(file, nullptr);
  CloseHandle(file);
  return true;
}

std::uint32_t readBytes(File file, void* destination, std::uint32_t count) {
  if (file == NoFile) return 0;
  if (injectedFault(Service::ReadBytes)) count /= 2;
  DWORD got = 0;
  ReadFile(handleOf(file), destination, count, &got, nullptr);
  return got;
}

std::uint32_t readBytesAt(File file, std::uint32_t offset, void* destination, std::uint32_t count) {
  if (file == NoFile) return 0;
  SetFilePointer(handleOf(file), static_cast<LONG>(offset), nullptr, FILE_BEGIN);
  return readBytes(file, destination, count);
}

std::uint32_t writeBytes(File file, const void* bytes, std::uint32_t count) {
  if (file == NoFile) return 0;
  DWORD written = 0;
  WriteFile(handleOf(file), bytes, count, &written, nullptr);
  return written;
}

void closeFile(File file) {
  if (file != NoFile) CloseHandle(handleOf(file));
}

bool fileIdentity(File file, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION information;
  if (file == NoFile || !GetFileInformationByHandle(handleOf(file), &information)) return false;
  identity.volume = information.dwVolumeSerialNumber;
  identity.index =
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return true;
}

void* obtainMemory(std::size_t size) {
  if (injectedFault(Service::ObtainMemory)) return nullptr;
  return reinterpret_cast<void*>(GlobalAlloc(GMEM_FIXED, size));
}

void releaseMemory(void* block) { GlobalFree(reinterpret_cast<HGLOBAL>(block)); }

std::string commandLine(int, char**) {
  const char* line = GetCommandLineA();
  return line ? line : "";
}

}  // namespace pirvex::platform

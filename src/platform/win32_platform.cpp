#include "platform/win32_platform.h"

#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/text.h"

namespace pirvex::platform {
namespace {

HANDLE handleOf(File file) { return reinterpret_cast<HANDLE>(file); }

File fileOf(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? NoFile : reinterpret_cast<File>(handle);
}

// Up to the first zero byte, as the "A" calls read it.
std::string zeroTerminated(std::string_view path) { return std::string(untilNul(path)); }

HANDLE openExisting(std::string_view path) {
  return CreateFileA(zeroTerminated(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                     nullptr, OPEN_EXISTING, 0x27, nullptr);
}

}  // namespace

void Win32Platform::printMessage(std::string_view message) {
  message = untilNul(message);
  HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
  if (output == nullptr || output == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(output, message.data(), static_cast<DWORD>(message.size()), &written, nullptr);
}

void Win32Platform::createDirectories(std::string_view path) {
  std::string whole = zeroTerminated(path);
  for (std::size_t i = 1; i < whole.size(); ++i) {
    if (whole[i] != '\\') continue;
    whole[i] = '\0';
    CreateDirectoryA(whole.c_str(), nullptr);
    whole[i] = '\\';
  }
}

File Win32Platform::createFileAnew(std::string_view path) {
  std::string name = zeroTerminated(path);
  DeleteFileA(name.c_str());
  createDirectories(name);
  return fileOf(CreateFileA(name.c_str(), GENERIC_READ | GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_ARCHIVE, nullptr));
}

File Win32Platform::openForReading(std::string_view path) { return fileOf(openExisting(path)); }

bool Win32Platform::fileSizeByName(std::string_view path, std::uint32_t& size) {
  HANDLE file = openExisting(path);
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
  WriteFile(handleOf(file), bytes, count, &written, nullptr);
  return written;
}

void Win32Platform::closeFile(File file) {
  if (file != NoFile) CloseHandle(handleOf(file));
}

bool Win32Platform::fileIdentity(File file, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION information;
  if (file == NoFile || !GetFileInformationByHandle(handleOf(file), &information)) return false;
  identity.volume = information.dwVolumeSerialNumber;
  identity.index =
      (static_cast<std::uint64_t>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
  return true;
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

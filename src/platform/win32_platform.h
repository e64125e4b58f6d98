// The Win32 back end: the KERNEL32 "A" calls, each with the arguments the
// rest of pirVex was designed against. Paths go to the system as they are;
// the file system ignores case, and "pirVex" and "pirVEX" name one
// directory by themselves. It writes through at once; buffering is the
// layer above's.
#pragma once

#include <string>

#include "platform/platform.h"

namespace pirvex::platform {

class Win32Platform final : public Platform {
 public:
  void printMessage(std::string_view message) override;
  void createDirectories(std::string_view path) override;
  File createFileAnew(std::string_view path) override;
  File openForReading(std::string_view path) override;
  bool fileSizeByName(std::string_view path, std::uint32_t& size) override;
  std::uint32_t readBytes(File file, void* destination, std::uint32_t count) override;
  std::uint32_t readBytesAt(File file, std::uint32_t offset, void* destination,
                            std::uint32_t count) override;
  std::uint32_t writeBytes(File file, const void* bytes, std::uint32_t count) override;
  void closeFile(File file) override;
  bool fileIdentity(File file, FileIdentity& identity) override;
  void* obtainMemory(std::size_t size, MemoryUse use, std::string_view subject) override;
  void releaseMemory(void* block) override;

  // The command line as the system keeps it.
  static std::string commandLine(int argc, char** argv);
};

}  // namespace pirvex::platform

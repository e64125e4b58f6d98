// The Win32 back end: the KERNEL32 "A" calls, each with the arguments the
// rest of pirVex was designed against. The file system ignores case by
// itself; directories are made at both separators and the output directory
// is always spelt "pirVex", as on POSIX. It writes through at once;
// buffering is the layer above's.
#pragma once

#include <string>
#include <unordered_set>
#include <vector>

#include "platform/platform.h"

namespace pirvex::platform {

class Win32Platform final : public Platform {
 public:
  Win32Platform() = default;
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;
  ~Win32Platform() override;

  // Once, before anything else: no system dialog for a missing drive.
  static void prepareProcess();

  void printMessage(std::string_view message) override;
  void printError(std::string_view message) override;
  void createDirectories(std::string_view path) override;
  File createFileAnew(std::string_view path) override;
  File openForReading(std::string_view path) override;
  File openForWriting(std::string_view path, std::uint32_t offset) override;
  bool fileSize(File file, std::uint32_t& size) override;
  std::uint32_t readBytes(File file, void* destination, std::uint32_t count) override;
  std::uint32_t readBytesAt(File file, std::uint32_t offset, void* destination,
                            std::uint32_t count) override;
  std::uint32_t writeBytes(File file, const void* bytes, std::uint32_t count) override;
  std::uint32_t writeBytesAt(File file, std::uint32_t offset, const void* bytes,
                             std::uint32_t count) override;
  bool closeFile(File file) override;
  bool fileIdentity(File file, FileIdentity& identity) override;
  bool fileIdentityByName(std::string_view path, FileIdentity& identity) override;
  bool fileIndex(File file, std::uint64_t& index) override;
  bool fileIndexByName(std::string_view path, std::uint64_t& index) override;
  bool listDirectory(std::string_view path, std::vector<DirectoryEntry>& entries) override;
  bool directoryIdentity(std::string_view path, FileIdentity& identity) override;
  void* obtainMemory(std::size_t size, MemoryUse use, std::string_view subject) override;
  void releaseMemory(void* block) override;
  void startWork(Work& work, void (*run)(void*), void* argument) override;
  void awaitWork(Work& work) override;

  // The command line as the system keeps it.
  static std::string commandLine(int argc, char** argv);

 private:
  // Makes the directories of the path; false when one below the output
  // directory is a reparse point (a link or junction).
  bool makeDirectories(const std::string& path, bool create);
  void lockOutputDirectory(bool create);

  std::unordered_set<File> failed_;         // files a write to fell short
  std::unordered_set<std::string> made_;    // directories this run has made or tried to
  void* outputLock_ = nullptr;       // a mutex named after the output directory's identity
  bool lockTried_ = false;
};

}  // namespace pirvex::platform

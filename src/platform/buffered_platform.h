// Write buffering above a system back end. Pages and indexes are written in
// thousands of small pieces; here they collect per open file and reach the
// system in large writes. No byte is held back where anything could miss
// it: before every other file service, whatever is pending reaches its
// file, and bytes for one file open under two handles reach it in the
// order they were written.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pirvex::platform {

class BufferedPlatform final : public Platform {
 public:
  explicit BufferedPlatform(Platform& system) : system_(system) {}
  BufferedPlatform(const BufferedPlatform&) = delete;
  BufferedPlatform& operator=(const BufferedPlatform&) = delete;
  // Writes out and closes whatever is still open.
  ~BufferedPlatform() override;

  static constexpr std::size_t BufferSize = std::size_t{32} * 1024;

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

 private:
  struct Handle {
    File system = NoFile;
    FileIdentity identity;
    bool identityKnown = false;
    std::uint64_t index = 0;
    bool indexKnown = false;
    bool writable = false;
    bool aliased = false;  // another handle of this process is open on the same file
    bool listed = false;   // in pending_
    std::string pending;
  };

  static Handle& handleOf(File file) { return *reinterpret_cast<Handle*>(file); }
  File adopt(File system, bool writable);
  bool knowIdentity(Handle& handle);
  void flush(Handle& handle);
  void flushAll();

  Platform& system_;
  std::vector<Handle*> open_;
  std::vector<Handle*> pending_;
};

}  // namespace pirvex::platform

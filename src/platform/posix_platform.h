// The POSIX back end. Paths arrive in the Windows form that the rest of
// pirVex uses: "\" separates, the output directory is spelt "pirVex" or
// "pirVEX", and sources name their include files in any letter case. This
// back end maps them so that a run here gives the same files as a run on
// Windows. It writes through at once; buffering is the layer above's.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace pirvex::platform {

class PosixPlatform final : public Platform {
 public:
  PosixPlatform() = default;
  PosixPlatform(const PosixPlatform&) = delete;
  PosixPlatform& operator=(const PosixPlatform&) = delete;
  ~PosixPlatform() override;

  // Once, before anything else: a write to a closed pipe or past a file
  // size limit is a failed write, not the end of the process; standard
  // input, output and error that are closed are opened on the null device,
  // so that no output file can take their places.
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
  bool listDirectory(std::string_view path, std::vector<DirectoryEntry>& entries) override;
  bool directoryIdentity(std::string_view path, FileIdentity& identity) override;
  void* obtainMemory(std::size_t size, MemoryUse use, std::string_view subject) override;
  void releaseMemory(void* block) override;
  void startWork(Work& work, void (*run)(void*), void* argument) override;
  void awaitWork(Work& work) override;

  // The command line as one text, joined from the arguments.
  static std::string commandLine(int argc, char** argv);

 private:
  struct OpenFile {
    int descriptor = -1;
    FileIdentity identity;  // device and inode
    bool failed = false;    // a write fell short
  };
  // Where a path leads: the directory that holds its last component (an
  // open descriptor, or the current directory) and that component.
  struct Place;
  enum class Walk { Create, Existing, Read };

  static int descriptorOf(File file) { return reinterpret_cast<const OpenFile*>(file)->descriptor; }
  File registerDescriptor(int descriptor);
  bool heldOpen(const FileIdentity& identity) const;
  bool walk(std::string_view path, Walk mode, Place& place);
  bool walkToDirectory(std::string_view path, Place& place);
  bool findIgnoringCase(int directory, const std::string& name, std::string& found);
  int openExistingForReading(std::string_view path);
  void lockOutputDirectory(bool create);

  std::vector<OpenFile*> open_;
  // Per directory (by identity), its names by their upper-case form: the
  // first of them in byte order. Each directory is listed once.
  std::map<std::pair<std::uint64_t, std::uint64_t>, std::map<std::string, std::string>> listings_;
  int outputLock_ = -1;
};

// argv[0] and every further argument, separated by single spaces; an
// argument that is empty or holds a space is wrapped in double quotes (a
// long option's value alone, after its "--name="), and nothing else
// changes: the command line that Windows would have kept.
std::string joinArguments(int argc, const char* const* argv);

}  // namespace pirvex::platform

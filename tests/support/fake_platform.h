// An in-memory platform for tests: a file tree, open handles, memory blocks
// and the console, with faults injected at named points ("the creation of
// pirVex\demo.HTM", "the include context of a.inc") rather than at the n-th
// call of a service, so that a test keeps hitting what it names when the
// code around it changes.
//
// Paths behave as the back ends make them behave: "\" and "/" both
// separate, a first component "pirVEX" is "pirVex", a file to be read or
// sized that does not exist as written is looked up without regard to the
// case of a-z, a file held open is emptied in place when created anew, and
// "..", "." and repeated separators are resolved as text. Symbolic links
// are followed as POSIX follows them, a ".." after one climbing out of
// where it led; below the output directory none is followed on the way to
// a file, and what stands at a created file's own name is replaced. A FIFO
// stands in the tree and opens as no file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace pirvex::testing {

using platform::MemoryUse;

enum class FileService {
  CreateFileAnew,
  OpenForReading,
  OpenForWriting,
  FileSize,
  ReadBytes,
  WriteBytes
};

// A place where something can fail: a file service on one file, or a block
// of memory of one use and subject; `occurrence` counts from 1 the times
// that place was reached.
struct FaultPoint {
  bool memory = false;
  FileService service = FileService::CreateFileAnew;
  MemoryUse use = MemoryUse::SourceText;
  std::string name;  // the file, "/"-separated below the fake's root; or the memory's subject
  unsigned occurrence = 0;

  std::string describe() const;
};

class FakePlatform final : public platform::Platform {
 public:
  FakePlatform() = default;
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;
  ~FakePlatform() override;

  // The tree. Paths given here are "/"- or "\"-separated and relative to
  // the root; directories along them are made.
  void addFile(std::string_view path, std::string_view bytes);
  void addDirectory(std::string_view path);
  bool hasFile(std::string_view path) const;
  bool hasDirectory(std::string_view path) const;
  // A FIFO: it is there and listed, and opens as no file.
  void addFifo(std::string_view path);
  // A symbolic link to `target` as written, "/"- or "\"-separated: from the
  // link's directory, or from the root where it begins with a separator.
  void addLink(std::string_view path, std::string_view target);
  bool hasFifo(std::string_view path) const;
  // The target of the link at the path, as written; false where no link is.
  bool linkTarget(std::string_view path, std::string& target) const;
  // The file's bytes; "<missing PATH>" when there is no such file.
  std::string fileText(std::string_view path) const;
  // Every file below the root, "/"-separated, with its bytes.
  std::map<std::string, std::string> files() const;

  // Where relative paths of the tool start, relative to the root.
  void setCurrentDirectory(std::string_view directory);

  const std::string& console() const { return console_; }
  // What was written to standard error.
  const std::string& errors() const { return errors_; }
  void clearConsole() {
    console_.clear();
    errors_.clear();
  }

  // Faults: the `occurrence`-th time the place is reached (0: every time).
  // A file path is resolved as the tool's would be, from the current
  // directory. A memory fault with an empty subject strikes every subject.
  void failFile(FileService service, std::string_view path, unsigned occurrence = 1);
  void failMemory(MemoryUse use, std::string_view subject = {}, unsigned occurrence = 1);
  void failAt(const FaultPoint& point);
  void clearFaults() { faults_.clear(); }
  // Every place reached since the start or the last forgetPoints, in order.
  const std::vector<FaultPoint>& pointsReached() const { return reached_; }
  void forgetPoints();

  // Hygiene: what is still open or held, and calls on handles or blocks
  // that were not open or held. Every block is handed out with guard bytes
  // behind it; a block released with its guard changed was written past its
  // end, which counts as a misuse too, so that an overrun shows without a
  // sanitizer.
  std::size_t openFiles() const { return handles_.size(); }
  std::size_t liveBlocks() const { return blocks_.size(); }
  // The most blocks ever held at once.
  std::size_t peakBlocks() const { return peakBlocks_; }
  std::size_t misuses() const { return misuses_; }
  static constexpr std::size_t GuardBytes = 64;

  // Calls of each file service so far, for tests of buffering.
  std::size_t writeCalls() const { return writeCalls_; }
  // Whole identities asked for, by handle or by name.
  std::size_t identityQueries() const { return identityQueries_; }

  // Files spread over volumes of `filesPerVolume` files each: their indexes
  // then repeat from volume to volume while their identities stay apart, as
  // on a system whose indexes are numbered per volume. 1: every file has
  // index 0. 0 (the default): one volume.
  void spreadOverVolumes(std::uint64_t filesPerVolume) { filesPerVolume_ = filesPerVolume; }

  void printMessage(std::string_view message) override;
  void printError(std::string_view message) override;
  void createDirectories(std::string_view path) override;
  platform::File createFileAnew(std::string_view path) override;
  platform::File openForReading(std::string_view path) override;
  platform::File openForWriting(std::string_view path, std::uint32_t offset) override;
  bool fileSize(platform::File file, std::uint32_t& size) override;
  std::uint32_t readBytes(platform::File file, void* destination, std::uint32_t count) override;
  std::uint32_t readBytesAt(platform::File file, std::uint32_t offset, void* destination,
                            std::uint32_t count) override;
  std::uint32_t writeBytes(platform::File file, const void* bytes, std::uint32_t count) override;
  std::uint32_t writeBytesAt(platform::File file, std::uint32_t offset, const void* bytes,
                             std::uint32_t count) override;
  bool closeFile(platform::File file) override;
  bool fileIdentity(platform::File file, platform::FileIdentity& identity) override;
  bool fileIdentityByName(std::string_view path, platform::FileIdentity& identity) override;
  bool fileIndex(platform::File file, std::uint64_t& index) override;
  bool fileIndexByName(std::string_view path, std::uint64_t& index) override;
  bool listDirectory(std::string_view path,
                     std::vector<platform::DirectoryEntry>& entries) override;
  bool directoryIdentity(std::string_view path, platform::FileIdentity& identity) override;
  void* obtainMemory(std::size_t size, MemoryUse use, std::string_view subject) override;
  void releaseMemory(void* block) override;

 private:
  struct Node {
    std::string bytes;
    std::uint64_t id = 0;
  };
  struct Handle {
    std::shared_ptr<Node> node;
    std::string key;
    std::uint32_t position = 0;
    bool failed = false;  // a write fell short
  };

  // The "/"-joined key of a path as the tool names it; false for an empty
  // path.
  bool resolve(std::string_view path, std::string& key) const;
  // The key of a path given from the root, as the tree's own setters take
  // it; false for the root itself.
  bool keyFromRoot(std::string_view path, std::string& key);
  // The key of an existing file or directory, looked up without regard to
  // case where it does not exist as written.
  bool lookUp(const std::string& key, std::string& found) const;
  // Where `key` leads: every link along it followed, the last component's
  // only with `followLast`; with `ignoringCase`, a component that does not
  // exist as written is the first name of its directory, in byte order,
  // that matches it without regard to case. What does not exist is kept as
  // it is. False on a loop of links.
  bool locate(const std::string& key, bool followLast, bool ignoringCase,
              std::string& found) const;
  std::vector<std::string> realComponents(const std::vector<std::string>& parts) const;
  std::string nameIgnoringCase(const std::string& directory, const std::string& name) const;
  // The key of what stands at a path's last component, the directories
  // before it followed: what a creation replaces.
  std::string standingAt(const std::string& key) const;
  // Whether the walk to the path's last component would pass a link below
  // the output directory, which the POSIX back end does not follow.
  bool passesLinkBelowOutput(std::string_view path) const;
  // The key of the file at the path as a creation finds it.
  bool placeByName(std::string_view path, std::string& place) const;
  bool exists(const std::string& key) const;
  // The key of the directory that a listing of the path lists: "" and "."
  // are the current directory.
  bool findDirectory(std::string_view path, std::string& key) const;
  platform::EntryKind kindAt(const std::string& key) const;
  void makeDirectory(const std::string& key);
  bool reach(FaultPoint point);
  platform::File open(std::shared_ptr<Node> node, const std::string& key);
  Handle* handleOf(platform::File file);
  std::uint32_t read(Handle& handle, void* destination, std::uint32_t count);

  std::map<std::string, std::shared_ptr<Node>> files_;
  std::set<std::string> directories_{""};
  std::set<std::string> fifos_;
  std::map<std::string, std::string> links_;  // with their targets as written
  // Identities of directories, given when first asked for.
  std::map<std::string, std::uint64_t> directoryIds_;
  std::vector<std::string> currentDirectory_;
  std::map<platform::File, Handle> handles_;
  platform::File nextHandle_ = 1;
  std::uint64_t nextId_ = 1;
  std::map<void*, std::size_t> blocks_;  // with the size asked for
  std::string console_;
  std::string errors_;
  std::vector<FaultPoint> faults_;
  std::vector<FaultPoint> reached_;
  std::map<std::string, unsigned> reachedCounts_;
  std::size_t misuses_ = 0;
  std::size_t writeCalls_ = 0;
  std::size_t peakBlocks_ = 0;
  std::size_t identityQueries_ = 0;
  std::uint64_t filesPerVolume_ = 0;
  platform::FileIdentity identityOf(std::uint64_t id) const;
};

}  // namespace pirvex::testing

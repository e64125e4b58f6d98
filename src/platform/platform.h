// The operating system services of pirVex: files, directories, the console,
// memory, and a second thread for work that needs none of them. Nothing
// outside src/platform includes an OS header; the rest of pirVex reaches the
// system only through a Platform. There is one back end per system, a
// buffering layer that sits above either of them, and an in-memory one for
// tests.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pirvex::platform {

// An open file. 0 means "no file": it is what a failed open or creation
// gives back and what a page or index slot holds while nothing is open.
using File = std::uintptr_t;
inline constexpr File NoFile = 0;

// Identity of an open file (device and inode, or volume serial and file
// index), used to tell whether an INCLUDE names a file already in work.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// What a name in a directory leads to, a symbolic link followed: a regular
// file, a directory, or anything else (a FIFO, a device, a socket, a link
// that leads nowhere).
enum class EntryKind { File, Directory, Other };

// A name in a directory, as the directory spells it; `link` when the name
// itself is a symbolic link (on Windows a reparse point).
struct DirectoryEntry {
  std::string name;
  EntryKind kind = EntryKind::Other;
  bool link = false;
};

// What a block of memory is for. With its subject (the file the block
// holds or serves, where there is one) it names the block, so that a test
// can make exactly that allocation fail.
enum class MemoryUse {
  SourceText,      // a source file's whole text; subject: its path
  IncludeContext,  // the including file's state saved around an include; subject: the name
  EscapeScratch,   // text with its umlauts turned into entities
  IndexText,       // an index file's whole text; subject: its path
  IndexRecords,    // the line records of a sorted index; subject: its path
  LookupSlots,     // the see-also look-up: its hash slots
  PageText,        // a page read back for its see-also links; subject: its path
  NavigationCopy,  // the buffer that copies the indexes into the navigation page
};

// Work handed to a second thread: see Platform::startWork.
struct Work {
  void (*run)(void*) = nullptr;
  void* argument = nullptr;
  void* thread = nullptr;  // the back end's, while the work runs beside
};

// Paths are 8-bit texts in the Windows form ("\" separates), relative to
// the current directory unless they begin otherwise; a back end reads them
// up to their first zero byte, as the system would.
class Platform {
 public:
  virtual ~Platform() = default;

  // Writes the message up to its first zero byte to standard output. Lost
  // without notice when there is no standard output.
  virtual void printMessage(std::string_view message) = 0;

  // The same for standard error.
  virtual void printError(std::string_view message) = 0;

  // Creates every directory named by the path up to each separator after
  // its first character. Results are not looked at; the last component is
  // never created.
  virtual void createDirectories(std::string_view path) = 0;

  // Deletes the file, creates the directories along the path and creates
  // the file empty for reading and writing. A file that this process holds
  // open is emptied in place instead, so that every handle sees the new
  // content. Whatever stood at the path's last component, a symbolic link
  // included, is replaced and never written through; below the output
  // directory "pirVex" no symbolic link (no reparse point) is followed at
  // all: such a creation fails.
  [[nodiscard]] virtual File createFileAnew(std::string_view path) = 0;

  // Opens an existing regular file for reading, shared with writers. Not a
  // directory, FIFO, device or socket: those cannot be opened.
  [[nodiscard]] virtual File openForReading(std::string_view path) = 0;

  // Opens a file this run created, for writing again at `offset`, without
  // emptying it: a page taken up again after an included file's pass. Its
  // path is checked as createFileAnew checks it.
  [[nodiscard]] virtual File openForWriting(std::string_view path, std::uint32_t offset) = 0;

  // The size of an open file (its low 32 bits), with every byte written to
  // it so far; false when the system cannot tell it. A size of 0 is a
  // success.
  [[nodiscard]] virtual bool fileSize(File file, std::uint32_t& size) = 0;

  // One read of up to `count` bytes; the count read, 0 meaning failure.
  [[nodiscard]] virtual std::uint32_t readBytes(File file, void* destination,
                                                std::uint32_t count) = 0;

  // As readBytes, from an absolute offset; the file position follows.
  [[nodiscard]] virtual std::uint32_t readBytesAt(File file, std::uint32_t offset,
                                                  void* destination, std::uint32_t count) = 0;

  // Writes the bytes to the file; the count written, which callers ignore.
  virtual std::uint32_t writeBytes(File file, const void* bytes, std::uint32_t count) = 0;

  // As writeBytes, from an absolute offset; the file position follows.
  virtual std::uint32_t writeBytesAt(File file, std::uint32_t offset, const void* bytes,
                                     std::uint32_t count) = 0;

  // Closes the file; false when a byte written through this handle did not
  // reach the file (a full disk, a file size limit), or the close failed.
  virtual bool closeFile(File file) = 0;

  // The identity of an open file; false when the system cannot tell it.
  [[nodiscard]] virtual bool fileIdentity(File file, FileIdentity& identity) = 0;

  // The identity of what stands at the path, found as createFileAnew finds
  // it; a symbolic link at the last component is not followed (a creation
  // would replace it). False when nothing stands there.
  [[nodiscard]] virtual bool fileIdentityByName(std::string_view path,
                                                FileIdentity& identity) = 0;

  // The names in the directory at the path ("" or "." is the current
  // directory; a separator may end it), "." and ".." left out, in no
  // particular order, in place of what `entries` held. The directories
  // along the path are found as for a file to read: links followed (below
  // the output directory, none), and a component that does not exist as
  // written looked up without regard to case. False when it cannot be
  // listed.
  [[nodiscard]] virtual bool listDirectory(std::string_view path,
                                           std::vector<DirectoryEntry>& entries) = 0;

  // The identity of the directory at the path, found as listDirectory finds
  // it, links followed: the output directory can be told however it is
  // reached. False when no directory stands there.
  [[nodiscard]] virtual bool directoryIdentity(std::string_view path,
                                               FileIdentity& identity) = 0;

  // The index of the file's identity: files whose indexes differ are
  // different files; where they agree, only the whole identity tells. Some
  // systems give it far more cheaply than the identity, so that a
  // comparison asks for identities only where the indexes agree.
  [[nodiscard]] virtual bool fileIndex(File file, std::uint64_t& index) {
    FileIdentity identity;
    if (!fileIdentity(file, identity)) return false;
    index = identity.index;
    return true;
  }
  [[nodiscard]] virtual bool fileIndexByName(std::string_view path, std::uint64_t& index) {
    FileIdentity identity;
    if (!fileIdentityByName(path, identity)) return false;
    index = identity.index;
    return true;
  }

  // A block of memory of the given size, or nullptr. Not cleared.
  [[nodiscard]] virtual void* obtainMemory(std::size_t size, MemoryUse use,
                                           std::string_view subject) = 0;
  virtual void releaseMemory(void* block) = 0;

  // Runs `run(argument)` on a second thread where the system gives one, so
  // that it goes on beside the caller; otherwise at once, before this
  // returns. The work calls no service of this interface and lets no
  // exception out. awaitWork waits until it has ended; every started work
  // is awaited before its argument goes.
  virtual void startWork(Work& work, void (*run)(void*), void* argument) {
    work.run = run;
    work.argument = argument;
    work.thread = nullptr;
    run(argument);
  }
  virtual void awaitWork(Work& work) { work.thread = nullptr; }

  // writeBytes of a whole text.
  std::uint32_t writeText(File file, std::string_view text) {
    return writeBytes(file, text.data(), static_cast<std::uint32_t>(text.size()));
  }
};

}  // namespace pirvex::platform

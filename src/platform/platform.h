// The operating system services of pirVex. Nothing outside src/platform
// includes an OS header; everything reaches files, directories, the console
// and memory through these calls. One back end per system implements them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// Writes the message up to (not including) its first zero byte to standard
// output. Lost without notice when there is no standard output.
void printMessage(std::string_view message);

// Creates every directory named by the path up to each separator after its
// first character. Results are not looked at; the last component is never
// created.
void createDirectories(const std::string& path);

// Deletes the file, creates the directories along the path and creates the
// file empty for reading and writing. A file that this process holds open
// is emptied in place instead, so that every handle sees the new content.
File createFileAnew(const std::string& path);

// Opens an existing file for reading, shared with writers.
File openForReading(const std::string& path);

// The size of the named file (its low 32 bits); false when it cannot be
// opened. A size of 0 is a success.
bool fileSizeByName(const std::string& path, std::uint32_t& size);

// One read of up to `count` bytes; the count read, 0 meaning failure.
std::uint32_t readBytes(File file, void* destination, std::uint32_t count);

// As readBytes, from an absolute offset.
std::uint32_t readBytesAt(File file, std::uint32_t offset, void* destination, std::uint32_t count);

// Writes the bytes to the file; the count written, which callers ignore.
std::uint32_t writeBytes(File file, const void* bytes, std::uint32_t count);

inline std::uint32_t writeBytes(File file, std::string_view text) {
  return writeBytes(file, text.data(), static_cast<std::uint32_t>(text.size()));
}

void closeFile(File file);

// The identity of an open file; false when the system cannot tell it.
bool fileIdentity(File file, FileIdentity& identity);

// A block of memory of the given size, or nullptr. Not cleared.
void* obtainMemory(std::size_t size);
void releaseMemory(void* block);

// The command line as one text that begins with the program's own name:
// on Windows as the system keeps it, elsewhere joined from the arguments.
std::string commandLine(int argc, char** argv);

// Fault injection for tests: the n-th call (counted from 1 after the plan
// is set) of a service fails as that service fails on a real system. A read
// fault delivers fewer bytes than asked for instead of none.
enum class Service : int {
  ObtainMemory,
  CreateFileAnew,
  OpenForReading,
  FileSizeByName,
  ReadBytes,
  Count
};
void failNthCall(Service service, unsigned n);
void clearFaults();

}  // namespace pirvex::platform

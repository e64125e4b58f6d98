// The output files of a run: pages, index files, the navigation and start
// pages. Each is created, taken up again and closed through here, so that
// none replaces a file the run read as a source, and every one that cannot
// be created or written in full is named once on standard error; the run's
// exit status then says so.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>

#include "platform/known_files.h"
#include "platform/platform.h"

namespace pirvex {

class OutputFiles {
 public:
  explicit OutputFiles(platform::Platform& platform) : platform_(platform) {}
  OutputFiles(const OutputFiles&) = delete;
  OutputFiles& operator=(const OutputFiles&) = delete;

  platform::Platform& platform() const { return platform_; }

  // A file read as a source, through `path`: no output file may replace it.
  void protect(std::uint64_t index, std::string_view path) { sources_.add(index, path); }

  // Creates the output file anew. No file, and the file named as not
  // written, when it cannot be created or would replace a source.
  [[nodiscard]] platform::File create(std::string_view fileName);

  // Takes up a file this run created again, at `offset`. No file, and the
  // file named as not written, when that fails.
  [[nodiscard]] platform::File reopen(std::string_view fileName, std::uint32_t offset);

  // Closes an output file; it is named as not written when a byte written
  // to it did not reach it.
  void close(platform::File file, std::string_view fileName);

  // Names the file on standard error, the first time only.
  void reportUnwritten(std::string_view fileName);

  bool anyUnwritten() const { return !reported_.empty(); }

  // Whether this run created the file.
  bool created(std::string_view fileName) const { return created_.count(toolName(fileName)) != 0; }

  // The file's name as the tool names it: "\" as separator, and "pirVex" as
  // the output directory's spelling, the same bytes on every system.
  static std::string toolName(std::string_view fileName);

 private:
  platform::Platform& platform_;
  platform::KnownFiles sources_;
  std::unordered_set<std::string> reported_;
  std::unordered_set<std::string> created_;
};

}  // namespace pirvex

// Reading a whole file into one block of its exact size, with one read:
// sources, index files and pages read back all come in this way.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/memory_block.h"
#include "platform/platform.h"

namespace pirvex {

struct WholeFile {
  MemoryBlock text;
  std::uint32_t size = 0;  // the bytes actually read; fewer than asked on a short read
  std::uint64_t index = 0;  // the file's index, where it was asked for
  bool indexKnown = false;

  std::string_view view() const { return {text.bytes(), size}; }
};

enum class WholeFileRead {
  Read,
  Empty,       // the file exists and holds no byte; nothing was read
  CannotOpen,  // missing, not a regular file, or its size cannot be had
  NoMemory,    // no block of the file's size
};

// Whether a read notes the file's index: a source's is needed, a page's or
// index file's is not.
enum class NoteIndex { Yes, No };

// Opens the file, sizes it, notes its index if asked, reads it
// whole into a block named by `use` and the path, and closes it.
[[nodiscard]] WholeFileRead readWholeFile(platform::Platform& platform, std::string_view path,
                                          platform::MemoryUse use, WholeFile& into,
                                          NoteIndex note = NoteIndex::No);

// The same for a file already open for reading, named `path`; closes it.
[[nodiscard]] WholeFileRead readOpenFile(platform::Platform& platform, platform::File file,
                                         std::string_view path, platform::MemoryUse use,
                                         WholeFile& into, NoteIndex note = NoteIndex::No);

}  // namespace pirvex

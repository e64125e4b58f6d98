#include "platform/whole_file.h"

namespace pirvex {

WholeFileRead readWholeFile(platform::Platform& platform, std::string_view path,
                            platform::MemoryUse use, WholeFile& into, NoteIndex note) {
  // One open for the size and the bytes: on some systems every open is a
  // round trip to a server.
  platform::File file = platform.openForReading(path);
  if (file == platform::NoFile) {
    into = WholeFile{};
    return WholeFileRead::CannotOpen;
  }
  return readOpenFile(platform, file, path, use, into, note);
}

WholeFileRead readOpenFile(platform::Platform& platform, platform::File file,
                           std::string_view path, platform::MemoryUse use, WholeFile& into,
                           NoteIndex note) {
  into = WholeFile{};
  std::uint32_t size = 0;
  const bool sized = platform.fileSize(file, size);
  if (!sized || size == 0) {
    (void)platform.closeFile(file);
    return sized ? WholeFileRead::Empty : WholeFileRead::CannotOpen;
  }
  if (note == NoteIndex::Yes) into.indexKnown = platform.fileIndex(file, into.index);
  into.text = MemoryBlock(platform, size, use, path);
  if (into.text) into.size = platform.readBytes(file, into.text.data(), size);
  platform.closeFile(file);
  return into.text ? WholeFileRead::Read : WholeFileRead::NoMemory;
}

}  // namespace pirvex

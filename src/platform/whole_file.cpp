#include "platform/whole_file.h"

namespace pirvex {

WholeFileRead readWholeFile(platform::Platform& platform, std::string_view path,
                            platform::MemoryUse use, WholeFile& into, NoteIndex note) {
  into = WholeFile{};
  std::uint32_t size = 0;
  if (!platform.fileSizeByName(path, size)) return WholeFileRead::CannotOpen;
  if (size == 0) return WholeFileRead::Empty;
  platform::File file = platform.openForReading(path);
  if (file == platform::NoFile) return WholeFileRead::CannotOpen;
  if (note == NoteIndex::Yes) into.indexKnown = platform.fileIndex(file, into.index);
  into.text = MemoryBlock(platform, size, use, path);
  if (into.text) into.size = platform.readBytes(file, into.text.data(), size);
  platform.closeFile(file);
  return into.text ? WholeFileRead::Read : WholeFileRead::NoMemory;
}

}  // namespace pirvex

#include "index/sort.h"

#include <algorithm>

#include "index/index_line.h"
#include "platform/text.h"
#include "platform/whole_file.h"
#include "scan/cursor.h"

namespace pirvex {

namespace {

// A key's bytes one by one, a-z folded to A-Z; -1 past its end.
struct ViewKey {
  std::string_view key;
  std::size_t at = 0;
  int next() { return at < key.size() ? upperAscii(key[at++]) : -1; }
};

// The key of a record read in place: from its name to its line's end, its
// CR and one LF after it included; a line without ">" has none. Its end is
// met on the way, so a comparison reads no further than the first byte
// that differs.
struct RecordKey {
  const char* text;
  std::uint32_t textSize;
  std::uint32_t at;
  enum { Open, AfterCr, Over } state;

  RecordKey(const char* bytes, std::uint32_t size, const IndexRecord& record)
      : text(bytes), textSize(size), at(record.nameStart),
        state(hasName(bytes, record) ? Open : Over) {}

  int next() {
    if (state == Over || at >= textSize) return -1;
    if (state == AfterCr) {
      state = Over;
      if (text[at] != LF) return -1;
      ++at;
      return LF;
    }
    const char c = text[at++];
    if (c == CR) state = AfterCr;
    return upperAscii(c);
  }
};

template <class Key>
bool lessByKey(Key a, Key b) {
  for (;;) {
    const int x = a.next();
    const int y = b.next();
    if (x != y) return x < y;
    if (x < 0) return false;
  }
}

}  // namespace

bool keyLess(std::string_view a, std::string_view b) { return lessByKey(ViewKey{a}, ViewKey{b}); }

namespace {

// Why a whole read gave no text: nothing is there to sort, or something is
// that could not be read.
IndexSort unread(platform::Platform& platform, std::string_view fileName, WholeFileRead read) {
  std::uint64_t index = 0;
  if (read == WholeFileRead::Empty ||
      (read == WholeFileRead::CannotOpen && !platform.fileIndexByName(fileName, index)))
    return IndexSort::Absent;
  return IndexSort::Failed;
}

}  // namespace

IndexSort sortIndex(OutputFiles& outputs, std::string_view fileName, IndexTable& table) {
  platform::Platform& platform = outputs.platform();
  WholeFile index;
  const WholeFileRead read =
      readWholeFile(platform, fileName, platform::MemoryUse::IndexText, index);
  if (read != WholeFileRead::Read) return unread(platform, fileName, read);
  char* bytes = index.text.bytes();
  const std::uint32_t textSize = index.size;

  std::uint32_t count = 0;
  for (Cursor line(bytes, textSize); !line.atEnd(); nextLine(line)) ++count;
  if (count == 0) return IndexSort::Failed;  // a read that brought no byte
  MemoryBlock recordBlock(platform, sizeof(IndexRecord) * static_cast<std::size_t>(count),
                          platform::MemoryUse::IndexRecords, fileName);
  if (!recordBlock) return IndexSort::Failed;
  auto* records = static_cast<IndexRecord*>(recordBlock.data());

  std::uint32_t at = 0;
  for (Cursor line(bytes, textSize); !line.atEnd(); ++at) {
    Cursor next = line;
    nextLine(next);
    IndexRecord& record = records[at];
    record.lineStart = static_cast<std::uint32_t>(line.position - bytes);
    std::string_view whole(line.position, static_cast<std::size_t>(next.position - line.position));
    std::size_t close = whole.find(LinkTagEnd);
    record.nameStart =
        record.lineStart +
        static_cast<std::uint32_t>(close == std::string_view::npos ? whole.size() : close + 1);
    std::replace(bytes + record.lineStart, bytes + record.nameStart, '\\', '/');
    line = next;
  }

  std::stable_sort(records, records + count, [&](const IndexRecord& a, const IndexRecord& b) {
    return lessByKey(RecordKey(bytes, textSize, a), RecordKey(bytes, textSize, b));
  });

  platform::File sorted = outputs.create(fileName);
  if (sorted != platform::NoFile) {
    for (std::uint32_t i = 0; i < count; ++i)
      platform.writeBytes(sorted, bytes + records[i].lineStart,
                          recordEnd(bytes, textSize, records[i]) - records[i].lineStart);
    outputs.close(sorted, fileName);
  }

  table.text = std::move(index.text);
  table.textSize = textSize;
  table.count = count;
  table.recordBlock = std::move(recordBlock);
  return IndexSort::Sorted;
}

}  // namespace pirvex

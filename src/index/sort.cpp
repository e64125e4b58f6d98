#include "index/sort.h"

#include <algorithm>

#include "index/index_line.h"
#include "platform/text.h"
#include "platform/whole_file.h"
#include "scan/cursor.h"

namespace pirvex {

bool keyLess(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    unsigned char x = upperAscii(a[i]);
    unsigned char y = upperAscii(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

bool sortIndex(OutputFiles& outputs, std::string_view fileName, IndexTable& table) {
  platform::Platform& platform = outputs.platform();
  WholeFile index;
  if (readWholeFile(platform, fileName, platform::MemoryUse::IndexText, index) !=
      WholeFileRead::Read)
    return false;
  char* bytes = index.text.bytes();
  const std::uint32_t textSize = index.size;

  std::uint32_t count = 0;
  for (Cursor line(bytes, textSize); !line.atEnd(); nextLine(line)) ++count;
  if (count == 0) return false;
  MemoryBlock recordBlock(platform, sizeof(IndexRecord) * static_cast<std::size_t>(count),
                          platform::MemoryUse::IndexRecords, fileName);
  if (!recordBlock) return false;
  auto* records = static_cast<IndexRecord*>(recordBlock.data());

  std::uint32_t at = 0;
  for (Cursor line(bytes, textSize); !line.atEnd(); ++at) {
    Cursor next = line;
    nextLine(next);
    IndexRecord& record = records[at];
    record.lineStart = static_cast<std::uint32_t>(line.position - bytes);
    record.lineSize = static_cast<std::uint32_t>(next.position - line.position);
    std::string_view whole(line.position, record.lineSize);
    std::size_t close = whole.find(LinkTagEnd);
    record.nameStart =
        record.lineStart +
        static_cast<std::uint32_t>(close == std::string_view::npos ? whole.size() : close + 1);
    std::replace(bytes + record.lineStart, bytes + record.nameStart, '\\', '/');
    line = next;
  }

  auto key = [bytes](const IndexRecord& record) {
    return std::string_view(bytes + record.nameStart,
                            record.lineStart + record.lineSize - record.nameStart);
  };
  std::stable_sort(records, records + count, [&](const IndexRecord& a, const IndexRecord& b) {
    return keyLess(key(a), key(b));
  });

  platform::File sorted = outputs.create(fileName);
  if (sorted != platform::NoFile) {
    for (std::uint32_t i = 0; i < count; ++i)
      platform.writeBytes(sorted, bytes + records[i].lineStart, records[i].lineSize);
    outputs.close(sorted, fileName);
  }

  table.text = std::move(index.text);
  table.textSize = textSize;
  table.count = count;
  table.recordBlock = std::move(recordBlock);
  return true;
}

}  // namespace pirvex

#include "index/sort.h"

#include <algorithm>
#include <string>

namespace pirvex {
namespace {

unsigned char folded(char c) {
  auto byte = static_cast<unsigned char>(c);
  return (byte >= 'a' && byte <= 'z') ? static_cast<unsigned char>(byte - 32) : byte;
}

// The key of a line is its bytes from the name to the end of the line; a key
// that is the beginning of a longer one sorts first.
bool keyLess(std::string_view a, std::string_view b) {
  std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    unsigned char x = folded(a[i]);
    unsigned char y = folded(b[i]);
    if (x != y) return x < y;
  }
  return a.size() < b.size();
}

}  // namespace

bool sortIndex(std::string_view fileName, IndexTable& table) {
  const std::string name(fileName);
  std::uint32_t size = 0;
  if (!platform::fileSizeByName(name, size) || size == 0) return false;
  File file = platform::openForReading(name);
  if (file == NoFile) return false;
  MemoryBlock text(size);
  if (!text) {
    platform::closeFile(file);
    return false;
  }
  std::uint32_t textSize = platform::readBytes(file, text.data(), size);
  platform::closeFile(file);

  std::uint32_t count = 0;
  for (Cursor line(text.bytes(), textSize); !line.atEnd(); nextLine(line)) ++count;
  if (count == 0) return false;
  MemoryBlock recordBlock(sizeof(IndexRecord) * static_cast<std::size_t>(count));
  if (!recordBlock) return false;
  auto* records = static_cast<IndexRecord*>(recordBlock.data());

  char* bytes = text.bytes();
  std::uint32_t index = 0;
  for (Cursor line(bytes, textSize); !line.atEnd(); ++index) {
    Cursor next = line;
    nextLine(next);
    IndexRecord& record = records[index];
    record.lineStart = static_cast<std::uint32_t>(line.position - bytes);
    record.lineSize = static_cast<std::uint32_t>(next.position - line.position);
    std::string_view whole(line.position, record.lineSize);
    std::size_t close = whole.find('>');
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

  File sorted = platform::createFileAnew(name);
  for (std::uint32_t i = 0; i < count; ++i)
    platform::writeBytes(sorted, bytes + records[i].lineStart, records[i].lineSize);
  platform::closeFile(sorted);

  table.text = std::move(text);
  table.textSize = textSize;
  table.count = count;
  table.recordBlock = std::move(recordBlock);
  return true;
}

}  // namespace pirvex

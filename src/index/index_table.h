// The sorted in-memory view of one index file, kept for the see-also pass.
#pragma once

#include <cstdint>
#include <string_view>

#include "index/index_line.h"
#include "platform/memory_block.h"

namespace pirvex {

// One line of the index text. Its length is not kept: a million lines make
// the records of a large run, and the line's end is found from the text
// where it is needed (lineEnd).
struct IndexRecord {
  std::uint32_t lineStart = 0;
  std::uint32_t nameStart = 0;  // after the line's first ">", or the line's end
};

// Where the line that holds `from` ends, its CR and one LF after it
// included: the start of the next line, or the text's end.
inline std::uint32_t lineEnd(const char* text, std::uint32_t textSize, std::uint32_t from) {
  while (from < textSize && text[from] != '\r') ++from;
  if (from < textSize) ++from;
  if (from < textSize && text[from] == '\n') ++from;
  return from;
}

// Whether a record's line has a name (and so a sort key): a ">" before it.
inline bool hasName(const char* text, const IndexRecord& record) {
  return text[record.nameStart - 1] == LinkTagEnd;
}

// Where a record's line ends: after its name, or where its name would
// start, for a line without ">".
inline std::uint32_t recordEnd(const char* text, std::uint32_t textSize,
                               const IndexRecord& record) {
  return hasName(text, record) ? lineEnd(text, textSize, record.nameStart) : record.nameStart;
}

struct IndexTable {
  MemoryBlock text;
  std::uint32_t textSize = 0;
  std::uint32_t count = 0;
  MemoryBlock recordBlock;  // `count` records in sorted order

  const IndexRecord* records() const {
    return reinterpret_cast<const IndexRecord*>(recordBlock.data());
  }
  std::string_view line(const IndexRecord& record) const {
    return {text.bytes() + record.lineStart,
            recordEnd(text.bytes(), textSize, record) - record.lineStart};
  }
};

}  // namespace pirvex

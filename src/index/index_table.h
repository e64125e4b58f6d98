// The sorted in-memory view of one index file, kept for the see-also pass.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/memory_block.h"

namespace pirvex {

// One line of the index text.
struct IndexRecord {
  std::uint32_t lineStart = 0;
  std::uint32_t lineSize = 0;  // with its line end
  std::uint32_t nameStart = 0;  // after the line's first ">", or its end
};

struct IndexTable {
  MemoryBlock text;
  std::uint32_t textSize = 0;
  std::uint32_t count = 0;
  MemoryBlock recordBlock;  // `count` records in sorted order

  const IndexRecord* records() const {
    return reinterpret_cast<const IndexRecord*>(recordBlock.data());
  }
  std::string_view line(const IndexRecord& record) const {
    return {text.bytes() + record.lineStart, record.lineSize};
  }
};

}  // namespace pirvex

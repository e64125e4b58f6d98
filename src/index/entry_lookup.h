// Finds the index entry whose name is exactly a see-also item: the first
// such line of the sorted procedure index, else of the structure index.
#pragma once

#include <cstdint>
#include <string_view>

#include "index/index_table.h"
#include "platform/memory_block.h"
#include "platform/platform.h"

namespace pirvex {

class EntryLookup {
 public:
  // Builds a hash table over the names of both tables; without memory for
  // it, the look-up scans the tables instead, with the same result.
  EntryLookup(platform::Platform& platform, const IndexTable& procedures,
              const IndexTable& structures);
  // The opening link tag of the entry's index line, up to its name. `name` is
  // a see-also item: it holds no "<", blank, comma or line end.
  [[nodiscard]] bool find(std::string_view name, std::string_view& linkTag) const;
  // The same answer by scanning both tables line by line.
  [[nodiscard]] bool findByScanning(std::string_view name, std::string_view& linkTag) const;

 private:
  // A name's first line, by offsets into its table's text: twelve bytes,
  // so that more of them share a cache line.
  struct Key {
    std::uint32_t lineStart;
    std::uint32_t nameStart;
    std::uint32_t nameLength : 31;
    std::uint32_t structure : 1;  // in the structure table
  };
  std::string_view nameOf(const Key& key) const;
  std::string_view linkTagOf(const Key& key) const;
  const IndexTable* tables_[2];
  MemoryBlock keys_;   // one per distinct name, the first line that bears it
  MemoryBlock slots_;  // open addressing: key number + 1, or 0 for a free slot
  std::size_t mask_ = 0;
};

}  // namespace pirvex

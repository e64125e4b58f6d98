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
  // Line `number` of both tables, the structure table's numbered after the
  // procedure table's.
  const IndexTable& tableOf(std::uint32_t number) const;
  const IndexRecord& recordOf(std::uint32_t number) const;
  // Whether the line's name is exactly `name`.
  bool bears(std::uint32_t number, std::string_view name) const;
  // The line's opening link tag, up to its name.
  std::string_view linkTagOf(std::uint32_t number) const;

  const IndexTable* tables_[2];
  // Open addressing over the lines themselves: for each distinct name, 1 +
  // the number of the first line that bears it; 0 for a free slot. Four
  // bytes per slot and no copy of any name.
  MemoryBlock slots_;
  std::size_t mask_ = 0;
};

}  // namespace pirvex

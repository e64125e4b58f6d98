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
  // A name's start in one of the tables' texts.
  struct Place {
    const IndexTable* table;
    std::uint32_t nameStart;
  };
  // Both texts taken as one, the structure table's after the procedure
  // table's.
  Place placeOf(std::uint32_t position) const;
  // Whether the name at the place is exactly `name`, up to the "<" after it.
  bool bears(Place place, std::string_view name) const;
  // The opening link tag of the line that holds the place, up to its name.
  std::string_view linkTagOf(Place place) const;
  // A slot holds 1 + a name's place in the texts, shifted up by markBits_,
  // and below it as many top bits of the name's hash.
  std::uint32_t mark(std::uint64_t hash) const;
  std::uint32_t slotValue(std::uint32_t position, std::uint64_t hash) const;
  std::uint32_t position(std::uint32_t slot) const;
  // Whether the slot names an entry of exactly this name.
  bool holds(std::uint32_t slot, std::uint64_t hash, std::string_view name) const;

  const IndexTable* tables_[2];
  // Open addressing over the texts themselves: for each distinct name, 1 +
  // where the first line that bears it has its name, with some bits of its
  // hash; 0 for a free slot. Four bytes per slot, and a look-up reads the
  // slot and the text only.
  MemoryBlock slots_;
  std::size_t mask_ = 0;
  unsigned markBits_ = 0;
};

}  // namespace pirvex

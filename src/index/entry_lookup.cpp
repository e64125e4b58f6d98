#include "index/entry_lookup.h"

#include <algorithm>

#include "index/index_line.h"
#include "index/see_also_items.h"
#include "scan/cursor.h"

namespace pirvex {
namespace {

// The name of a record as a look-up can match it: the bytes from its name
// start up to the "<" after them.
bool matchableName(const IndexTable& table, const IndexRecord& record, std::string_view& name) {
  const char* text = table.text.bytes();
  for (std::uint32_t at = record.nameStart; at < table.textSize; ++at) {
    if (text[at] == LinkNameEnd) {
      name = std::string_view(text + record.nameStart, at - record.nameStart);
      return true;
    }
    // An item name never holds a separator: such a line can never be found.
    if (isItemSeparator(text[at])) return false;
  }
  return false;
}

std::uint64_t hashOf(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return hash ^ (hash >> 32);
}

// How many bits a number up to `largest` takes.
unsigned bitsFor(std::uint64_t largest) {
  unsigned bits = 0;
  while (bits < 64 && (largest >> bits) != 0) ++bits;
  return bits;
}

// Where the line that holds `nameStart` begins. Its opening tag holds no
// CR; a line without ">" has its name start past its own line end, which
// is stepped over first. A line begins after a CR, and after an LF
// directly after that CR.
std::uint32_t lineStartBefore(const char* text, std::uint32_t nameStart) {
  std::uint32_t at = nameStart;
  if (at > 0 && text[at - 1] != LinkTagEnd) {
    if (at >= 2 && text[at - 1] == LF && text[at - 2] == CR)
      at -= 2;
    else
      at -= 1;
  }
  while (at > 0 && text[at - 1] != CR) --at;
  if (at > 0 && text[at] == LF) ++at;
  return at;
}

}  // namespace

EntryLookup::Place EntryLookup::placeOf(std::uint32_t position) const {
  const std::uint32_t inProcedures = tables_[0]->textSize;
  return position < inProcedures ? Place{tables_[0], position}
                                 : Place{tables_[1], position - inProcedures};
}

bool EntryLookup::bears(Place place, std::string_view name) const {
  const char* text = place.table->text.bytes();
  return place.table->textSize - place.nameStart > name.size() &&
         std::string_view(text + place.nameStart, name.size()) == name &&
         text[place.nameStart + name.size()] == LinkNameEnd;
}

std::string_view EntryLookup::linkTagOf(Place place) const {
  const char* text = place.table->text.bytes();
  const std::uint32_t lineStart = lineStartBefore(text, place.nameStart);
  return {text + lineStart, place.nameStart - lineStart};
}

EntryLookup::EntryLookup(platform::Platform& platform, const IndexTable& procedures,
                         const IndexTable& structures)
    : tables_{&procedures, &structures} {
  // Slots hold a name's place in both texts taken as one, plus one: where
  // the texts together are too large for that, the look-up scans.
  if (std::uint64_t{procedures.textSize} + structures.textSize >= 0xFFFFFFFFULL) return;
  const std::uint32_t lines = procedures.count + structures.count;
  // At most two thirds of the slots are taken.
  std::size_t capacity = 16;
  while (capacity < std::size_t{lines} + lines / 2) capacity *= 2;
  slots_ = MemoryBlock(platform, capacity * sizeof(std::uint32_t), platform::MemoryUse::LookupSlots);
  if (!slots_) return;
  mask_ = capacity - 1;
  // The bits a place does not need carry some of the name's hash, so that
  // a probe that meets another name mostly turns away without reading the
  // text, which at a million entries is a cache miss each time.
  markBits_ = std::min(16u, 32 - bitsFor(std::uint64_t{procedures.textSize} + structures.textSize));
  auto* slots = static_cast<std::uint32_t*>(slots_.data());
  std::fill(slots, slots + capacity, 0u);
  // Lines in the order a scan visits them: the first line that bears a name
  // keeps its slot.
  std::uint32_t offset = 0;  // of the table's text among both
  for (const IndexTable* table : tables_) {
    for (std::uint32_t i = 0; i < table->count; ++i) {
      const IndexRecord& record = table->records()[i];
      std::string_view name;
      if (!matchableName(*table, record, name)) continue;
      const std::uint64_t hash = hashOf(name);
      std::size_t slot = hash & mask_;
      while (slots[slot] != 0 && !holds(slots[slot], hash, name)) slot = (slot + 1) & mask_;
      if (slots[slot] == 0) slots[slot] = slotValue(offset + record.nameStart, hash);
    }
    offset += table->textSize;
  }
}

std::uint32_t EntryLookup::mark(std::uint64_t hash) const {
  return markBits_ == 0 ? 0 : static_cast<std::uint32_t>(hash >> (64 - markBits_));
}

std::uint32_t EntryLookup::slotValue(std::uint32_t position, std::uint64_t hash) const {
  return ((position + 1) << markBits_) | mark(hash);
}

std::uint32_t EntryLookup::position(std::uint32_t slot) const { return (slot >> markBits_) - 1; }

bool EntryLookup::holds(std::uint32_t slot, std::uint64_t hash, std::string_view name) const {
  return (markBits_ == 0 || (slot & ((1u << markBits_) - 1)) == mark(hash)) &&
         bears(placeOf(position(slot)), name);
}

bool EntryLookup::find(std::string_view name, std::string_view& linkTag) const {
  if (!slots_) return findByScanning(name, linkTag);
  const auto* slots = static_cast<const std::uint32_t*>(slots_.data());
  const std::uint64_t hash = hashOf(name);
  for (std::size_t slot = hash & mask_; slots[slot] != 0; slot = (slot + 1) & mask_) {
    if (!holds(slots[slot], hash, name)) continue;
    linkTag = linkTagOf(placeOf(position(slots[slot])));
    return true;
  }
  return false;
}

bool EntryLookup::findByScanning(std::string_view name, std::string_view& linkTag) const {
  for (const IndexTable* table : tables_) {
    for (std::uint32_t i = 0; i < table->count; ++i) {
      const IndexRecord& record = table->records()[i];
      if (!bears(Place{table, record.nameStart}, name)) continue;
      linkTag = {table->text.bytes() + record.lineStart, record.nameStart - record.lineStart};
      return true;
    }
  }
  return false;
}

}  // namespace pirvex

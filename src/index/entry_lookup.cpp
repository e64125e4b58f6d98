#include "index/entry_lookup.h"

#include <algorithm>

#include "index/index_line.h"
#include "index/see_also_items.h"

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


std::size_t hashOf(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return static_cast<std::size_t>(hash ^ (hash >> 32));
}

}  // namespace

const IndexTable& EntryLookup::tableOf(std::uint32_t number) const {
  return *tables_[number < tables_[0]->count ? 0 : 1];
}

const IndexRecord& EntryLookup::recordOf(std::uint32_t number) const {
  return number < tables_[0]->count ? tables_[0]->records()[number]
                                    : tables_[1]->records()[number - tables_[0]->count];
}

bool EntryLookup::bears(std::uint32_t number, std::string_view name) const {
  const IndexTable& table = tableOf(number);
  const IndexRecord& record = recordOf(number);
  const char* text = table.text.bytes();
  return table.textSize - record.nameStart > name.size() &&
         std::string_view(text + record.nameStart, name.size()) == name &&
         text[record.nameStart + name.size()] == LinkNameEnd;
}

EntryLookup::EntryLookup(platform::Platform& platform, const IndexTable& procedures,
                         const IndexTable& structures)
    : tables_{&procedures, &structures} {
  const std::uint32_t lines = procedures.count + structures.count;
  // At most two thirds of the slots are taken.
  std::size_t capacity = 16;
  while (capacity < std::size_t{lines} + lines / 2) capacity *= 2;
  slots_ = MemoryBlock(platform, capacity * sizeof(std::uint32_t), platform::MemoryUse::LookupSlots);
  if (!slots_) return;
  mask_ = capacity - 1;
  auto* slots = static_cast<std::uint32_t*>(slots_.data());
  std::fill(slots, slots + capacity, 0u);
  // Lines in the order a scan visits them: the first line that bears a name
  // keeps its slot.
  for (std::uint32_t number = 0; number < lines; ++number) {
    std::string_view name;
    if (!matchableName(tableOf(number), recordOf(number), name)) continue;
    std::size_t slot = hashOf(name) & mask_;
    while (slots[slot] != 0 && !bears(slots[slot] - 1, name)) slot = (slot + 1) & mask_;
    if (slots[slot] == 0) slots[slot] = number + 1;
  }
}

std::string_view EntryLookup::linkTagOf(std::uint32_t number) const {
  const IndexRecord& record = recordOf(number);
  return {tableOf(number).text.bytes() + record.lineStart, record.nameStart - record.lineStart};
}

bool EntryLookup::find(std::string_view name, std::string_view& linkTag) const {
  if (!slots_) return findByScanning(name, linkTag);
  const auto* slots = static_cast<const std::uint32_t*>(slots_.data());
  for (std::size_t slot = hashOf(name) & mask_; slots[slot] != 0; slot = (slot + 1) & mask_) {
    if (!bears(slots[slot] - 1, name)) continue;
    linkTag = linkTagOf(slots[slot] - 1);
    return true;
  }
  return false;
}

bool EntryLookup::findByScanning(std::string_view name, std::string_view& linkTag) const {
  const std::uint32_t lines = tables_[0]->count + tables_[1]->count;
  for (std::uint32_t number = 0; number < lines; ++number) {
    if (!bears(number, name)) continue;
    linkTag = linkTagOf(number);
    return true;
  }
  return false;
}

}  // namespace pirvex

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

std::string_view EntryLookup::nameOf(const Key& key) const {
  return {tables_[key.structure]->text.bytes() + key.nameStart, key.nameLength};
}

std::string_view EntryLookup::linkTagOf(const Key& key) const {
  return {tables_[key.structure]->text.bytes() + key.lineStart, key.nameStart - key.lineStart};
}

EntryLookup::EntryLookup(platform::Platform& platform, const IndexTable& procedures,
                         const IndexTable& structures)
    : tables_{&procedures, &structures} {
  std::size_t lines = static_cast<std::size_t>(procedures.count) + structures.count;
  std::size_t capacity = 16;
  while (capacity < 2 * lines) capacity *= 2;
  keys_ = MemoryBlock(platform, lines * sizeof(Key), platform::MemoryUse::LookupNames);
  if (keys_)
    slots_ = MemoryBlock(platform, capacity * sizeof(std::uint32_t), platform::MemoryUse::LookupSlots);
  if (!slots_) {
    keys_.reset();
    return;
  }
  mask_ = capacity - 1;
  auto* keys = static_cast<Key*>(keys_.data());
  auto* slots = static_cast<std::uint32_t*>(slots_.data());
  std::fill(slots, slots + capacity, 0u);
  std::uint32_t count = 0;
  // Tables and lines in the order a scan visits them: the first line that
  // bears a name keeps its slot.
  for (std::uint32_t structure = 0; structure < 2; ++structure) {
    const IndexTable& table = *tables_[structure];
    for (std::uint32_t i = 0; i < table.count; ++i) {
      const IndexRecord& record = table.records()[i];
      std::string_view name;
      if (!matchableName(table, record, name)) continue;
      std::size_t slot = hashOf(name) & mask_;
      while (slots[slot] != 0 && nameOf(keys[slots[slot] - 1]) != name) slot = (slot + 1) & mask_;
      if (slots[slot] != 0) continue;
      keys[count] = Key{record.lineStart, record.nameStart,
                        static_cast<std::uint32_t>(name.size()), structure};
      slots[slot] = ++count;
    }
  }
}

bool EntryLookup::find(std::string_view name, std::string_view& linkTag) const {
  if (!slots_) return findByScanning(name, linkTag);
  const auto* keys = static_cast<const Key*>(keys_.data());
  const auto* slots = static_cast<const std::uint32_t*>(slots_.data());
  for (std::size_t slot = hashOf(name) & mask_; slots[slot] != 0; slot = (slot + 1) & mask_) {
    const Key& key = keys[slots[slot] - 1];
    if (key.nameLength == name.size() && nameOf(key) == name) {
      linkTag = linkTagOf(key);
      return true;
    }
  }
  return false;
}

bool EntryLookup::findByScanning(std::string_view name, std::string_view& linkTag) const {
  for (const IndexTable* table : tables_) {
    const char* text = table->text.bytes();
    for (std::uint32_t i = 0; i < table->count; ++i) {
      const IndexRecord& record = table->records()[i];
      if (table->textSize - record.nameStart <= name.size()) continue;
      if (std::string_view(text + record.nameStart, name.size()) != name) continue;
      if (text[record.nameStart + name.size()] != LinkNameEnd) continue;
      linkTag = {text + record.lineStart, record.nameStart - record.lineStart};
      return true;
    }
  }
  return false;
}

}  // namespace pirvex

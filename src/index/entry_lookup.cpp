#include "index/entry_lookup.h"

#include <algorithm>

namespace pirvex {
namespace {

// An item name never holds these bytes, so a line whose name part holds one
// before its "<" can never be found.
bool endsItem(char c) { return c == CR || c == LF || c == '\t' || c == ',' || c == ' '; }

// The name of a record as a look-up can match it: the bytes from its name
// start up to the "<" after them.
bool matchableName(const IndexTable& table, const IndexRecord& record, std::string_view& name) {
  const char* text = table.text.bytes();
  for (std::uint32_t at = record.nameStart; at < table.textSize; ++at) {
    if (text[at] == '<') {
      name = std::string_view(text + record.nameStart, at - record.nameStart);
      return true;
    }
    if (endsItem(text[at])) return false;
  }
  return false;
}

std::string_view linkTagOf(const IndexTable& table, const IndexRecord& record) {
  return {table.text.bytes() + record.lineStart, record.nameStart - record.lineStart};
}

}  // namespace

EntryLookup::EntryLookup(const IndexTable& procedures, const IndexTable& structures)
    : tables_{&procedures, &structures} {
  std::size_t lines = static_cast<std::size_t>(procedures.count) + structures.count;
  keys_ = MemoryBlock(lines * sizeof(Key));
  if (!keys_) return;
  auto* keys = static_cast<Key*>(keys_.data());
  std::uint32_t order = 0;
  for (const IndexTable* table : tables_) {
    for (std::uint32_t i = 0; i < table->count; ++i, ++order) {
      const IndexRecord& record = table->records()[i];
      std::string_view name;
      if (matchableName(*table, record, name))
        keys[count_++] = Key{name, order, linkTagOf(*table, record)};
    }
  }
  std::sort(keys, keys + count_, [](const Key& a, const Key& b) {
    return a.name != b.name ? a.name < b.name : a.order < b.order;
  });
}

bool EntryLookup::find(std::string_view name, std::string_view& linkTag) const {
  if (!keys_) return findByScanning(name, linkTag);
  const auto* keys = static_cast<const Key*>(keys_.data());
  const Key* found = std::lower_bound(keys, keys + count_, name,
                                      [](const Key& key, std::string_view wanted) { return key.name < wanted; });
  if (found == keys + count_ || found->name != name) return false;
  linkTag = found->linkTag;
  return true;
}

bool EntryLookup::findByScanning(std::string_view name, std::string_view& linkTag) const {
  for (const IndexTable* table : tables_) {
    const char* text = table->text.bytes();
    for (std::uint32_t i = 0; i < table->count; ++i) {
      const IndexRecord& record = table->records()[i];
      if (table->textSize - record.nameStart <= name.size()) continue;
      if (std::string_view(text + record.nameStart, name.size()) != name) continue;
      if (text[record.nameStart + name.size()] != '<') continue;
      linkTag = linkTagOf(*table, record);
      return true;
    }
  }
  return false;
}

}  // namespace pirvex

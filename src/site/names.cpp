#include "site/names.h"

#include <algorithm>

#include "platform/text.h"

namespace pirvex::site {

void Names::add(std::string_view name, int entry) {
  if ((keys_.size() + 1) * 3 > slots_.size() * 2) grow();
  keys_.push_back({name, entry});
  place(static_cast<std::uint32_t>(keys_.size() - 1));
}

int Names::find(std::string_view name, bool ignoringCase) const {
  if (slots_.empty()) return -1;
  const std::uint32_t hash = foldedHash(name);
  int folded = -1;
  for (std::size_t at = hash & (slots_.size() - 1);; at = (at + 1) & (slots_.size() - 1)) {
    const Slot& slot = slots_[at];
    if (slot.key == 0) return folded;
    if (slot.hash != hash) continue;
    const Key& key = keys_[slot.key - 1];
    // Along one chain, keys of one name stand in the order they came.
    if (key.name == name) return key.entry;
    if (ignoringCase && folded < 0 && equalIgnoringAsciiCase(key.name, name)) folded = key.entry;
  }
}

std::uint32_t Names::foldedHash(std::string_view text) {
  std::uint32_t hash = 2166136261u;
  for (char c : text) hash = (hash ^ upperAscii(c)) * 16777619u;
  return hash ^ (hash >> 15);
}

void Names::place(std::uint32_t key) {
  const std::uint32_t hash = foldedHash(keys_[key].name);
  std::size_t at = hash & (slots_.size() - 1);
  while (slots_[at].key != 0) at = (at + 1) & (slots_.size() - 1);
  slots_[at] = {hash, key + 1};
}

void Names::grow() {
  slots_.assign(std::max<std::size_t>(16, slots_.size() * 2), Slot{});
  for (std::uint32_t key = 0; key < keys_.size(); ++key) place(key);
}

std::string_view withoutLabelColon(std::string_view name) {
  return name.size() > 1 && name.back() == ':' ? name.substr(0, name.size() - 1) : name;
}

}  // namespace pirvex::site

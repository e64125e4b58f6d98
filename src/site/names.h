// The site's entries by name, as sources and see-also lists call them.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace pirvex::site {

// Entries by name: exactly as written first, else without regard to case,
// as the assemblers compare names. One flat table probed from the folded
// name's hash; a slot keeps the hash, so that most probes touch no name.
class Names {
 public:
  void add(std::string_view name, int entry);
  // The entry of that name; -1 when there is none.
  int find(std::string_view name, bool ignoringCase) const;

 private:
  struct Key {
    std::string_view name;
    int entry;
  };
  struct Slot {
    std::uint32_t hash = 0;
    std::uint32_t key = 0;  // index + 1; 0 is free
  };

  static std::uint32_t foldedHash(std::string_view text);
  void place(std::uint32_t key);
  void grow();

  std::vector<Key> keys_;
  std::vector<Slot> slots_;
};

// A label's name without its colon, as code calls it.
std::string_view withoutLabelColon(std::string_view name);

}  // namespace pirvex::site

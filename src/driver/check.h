// What --check reports: what a reader of the pages would find broken, each
// finding one line on standard error in the form the assemblers give their
// own diagnostics, "FILE(LINE): Warnung: TEXT". A run with a finding fails,
// as a build with warnings turned into errors does; the pages are the same
// as without the option.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "index/entry_lookup.h"
#include "platform/platform.h"

namespace pirvex {

enum class IndexKind { Procedure, Structure };

class Findings {
 public:
  explicit Findings(platform::Platform& platform) : platform_(platform) {}

  // Whether the run checks at all; without, every call below does nothing.
  bool on = false;

  // A console line that counts as a finding: a source, include or module
  // pattern that cannot be opened, an include cycle.
  void consoleLine();

  // An entry of the procedure or structure index at FILE(LINE): a finding
  // where an entry of that name, byte for byte, came earlier in the run.
  void entry(IndexKind kind, std::string_view name, std::string_view file, std::uint32_t line);

  // A ";*" block whose look-ahead found no procedure line, at its first line.
  void blockWithoutProcedure(std::string_view file, std::uint32_t line);

  // A line of a see-also list: its names are looked up once the indexes are
  // sorted.
  void seeAlsoLine(std::string_view text, std::string_view file, std::uint32_t line);

  // The see-also names that no entry matches, as the see-also pass looks
  // them up (no look-up: the pass did not run, and none is linked).
  void reportSeeAlso(const EntryLookup* entries);

  bool any() const { return count_ != 0; }

 private:
  struct Place {
    std::uint32_t file;
    std::uint32_t line;
  };
  struct SeeAlsoName {
    std::uint32_t start;  // in names_
    std::uint32_t length;
    Place place;
  };

  std::uint32_t fileNumber(std::string_view file);
  void report(Place place, std::initializer_list<std::string_view> text);

  platform::Platform& platform_;
  std::size_t count_ = 0;
  std::vector<std::string> files_;
  std::unordered_map<std::string, std::uint32_t> fileNumbers_;
  // The first entry of each name, one table for each index.
  std::unordered_map<std::string, Place> entries_[2];
  // Every see-also name met, its bytes one after another in names_.
  std::string names_;
  std::vector<SeeAlsoName> seeAlso_;
};

}  // namespace pirvex

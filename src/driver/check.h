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
#include "index/index_table.h"
#include "index/see_also.h"
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

  // The numbers by which the calls below name a source and its page, taken
  // once when the source's pass begins.
  std::uint32_t fileNumber(std::string_view file);
  std::uint32_t pageNumber(std::string_view pagePath);

  // The next entry of the procedure or structure index, at FILE(LINE); a
  // line of 0 is told later, before the next entry of its kind.
  void entry(IndexKind kind, std::uint32_t file, std::uint32_t line);
  void entryLine(IndexKind kind, std::uint32_t line);

  // A ";*" block whose look-ahead found no procedure line, at its first line.
  void blockWithoutProcedure(std::uint32_t file, std::uint32_t line);

  // A line of a see-also list at FILE(LINE), on page `page`: its names are
  // findings if the see-also pass leaves them unlinked.
  void seeAlsoLine(std::string_view text, std::uint32_t file, std::uint32_t page,
                   std::uint32_t line);

  // The pass's findings, in the order of the lines they name: the blocks
  // without a procedure, and every entry whose name, byte for byte, an entry
  // before it in its index bears, found in the sorted indexes (none where an
  // index is missing or is not this run's entries, line for line).
  void reportPass(const IndexTable* procedures, const IndexTable* structures);

  // The see-also names that no entry matches, as the see-also pass looks
  // names up: on a page it rewrote, those it left unlinked; on any other,
  // those that `entries` does not find (all of them where the pass did not
  // run, and there is no look-up).
  void reportSeeAlso(const SeeAlsoOutcome* outcome, const EntryLookup* entries);

  bool any() const { return count_ != 0; }

 private:
  struct Place {
    std::uint32_t file;
    std::uint32_t line;
  };
  // A finding of the pass, or an entry that may be one: `order` counts the
  // pass's entries and blocks as it meets them.
  struct Met {
    Place place;
    std::uint32_t order;
  };
  struct PassFinding {
    Met met;
    std::string text;
  };
  // A see-also line kept in lines_ from `start` on, on page `page`.
  struct SeeAlsoLine {
    std::uint32_t start;
    std::uint32_t length;
    Place place;
    std::uint32_t page;
  };

  std::uint32_t number(std::vector<std::string>& list,
                       std::unordered_map<std::string, std::uint32_t>& numbers,
                       std::string_view text);
  void findDuplicates(IndexKind kind, const IndexTable& table, std::vector<PassFinding>& found);
  void report(Place place, std::initializer_list<std::string_view> text);
  void writeLines();

  platform::Platform& platform_;
  std::size_t count_ = 0;
  std::uint32_t met_ = 0;  // entries and blocks met so far
  std::vector<std::string> files_;
  std::unordered_map<std::string, std::uint32_t> fileNumbers_;
  std::vector<std::string> pages_;  // "/" separated, as the index lines name them
  std::unordered_map<std::string, std::uint32_t> pageNumbers_;
  // Each index's entries in the order the pass met them, as its lines were
  // written before the sort.
  std::vector<Met> entries_[2];
  std::vector<Met> blocks_;
  // The lines of see-also lists, their bytes one after another in lines_:
  // their names are taken out only where the pass left one unlinked on
  // their page, or did not rewrite it.
  std::string lines_;
  std::vector<SeeAlsoLine> seeAlso_;
  // Findings not yet written, a block of lines at a time.
  static constexpr std::size_t HeldBytes = std::size_t{32} * 1024;
  std::string written_;
};

}  // namespace pirvex

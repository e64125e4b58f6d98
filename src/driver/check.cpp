#include "driver/check.h"

#include <algorithm>

#include "index/index_line.h"
#include "index/see_also_items.h"
#include "page/escape.h"
#include "platform/text.h"

namespace pirvex {
namespace {

constexpr std::string_view Warning = ": Warnung: ";
constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view SeeAlsoMark = "see-Verweis ";
constexpr std::string_view NoEntry = " findet keinen Eintrag";
constexpr std::string_view AlreadyIn = " ist schon in ";
constexpr std::string_view Documented = " dokumentiert";
constexpr std::string_view NoProcedure = "Dokumentation ohne Prozedur";

// "FILE(LINE)", the assemblers' form of a position.
std::string position(std::string_view file, std::uint32_t line) {
  std::string text(file);
  text += '(';
  text += std::to_string(line);
  text += ')';
  return text;
}

// A record's name as its index line holds it: up to the "<" after it.
std::string_view nameOf(const IndexTable& table, const IndexRecord& record) {
  if (!hasName(table.text.bytes(), record)) return {};
  const std::string_view rest(table.text.bytes() + record.nameStart,
                              table.textSize - record.nameStart);
  return rest.substr(0, rest.find(LinkNameEnd));
}

// A name as the source wrote it: the index line writes "<" and ">" as
// entities.
std::string asWritten(std::string_view indexName) {
  std::string name;
  for (std::size_t at = 0; at < indexName.size(); ++at) {
    const std::string_view rest = indexName.substr(at);
    if (rest.starts_with("&lt;") || rest.starts_with("&gt;")) {
      name += rest[1] == 'l' ? '<' : '>';
      at += 3;
    } else {
      name += indexName[at];
    }
  }
  return name;
}

// The names of a see-also line as the see-also pass takes them from the
// page: the umlaut entities the page has instead of some bytes separate no
// name.
template <class Take>
void forEachName(std::string_view text, Take take) {
  const auto remaining = [&](std::size_t at) { return static_cast<std::uint32_t>(text.size() - at); };
  std::size_t at = separatorRun(text.data(), remaining(0));
  while (at < text.size()) {
    const std::uint32_t length = itemNameLength(text.data() + at, remaining(at));
    if (length == 0) break;  // the list's end, "</UL", on the line
    take(text.substr(at, length));
    at += length;
    at += separatorRun(text.data() + at, remaining(at));
  }
}

std::uint64_t hashOf(std::string_view name) {
  std::uint64_t hash = 14695981039346656037ULL;
  for (char c : name) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
  return hash ^ (hash >> 29);
}

// The names the see-also pass left unlinked, looked up by the bytes of a
// name as they stand, without a copy of each name asked about.
class NameSet {
 public:
  explicit NameSet(const std::unordered_set<std::string>& names) {
    std::size_t size = 16;
    while (size < names.size() * 2) size *= 2;
    slots_.assign(size, nullptr);
    for (const std::string& name : names) {
      std::size_t at = hashOf(name) & (size - 1);
      while (slots_[at]) at = (at + 1) & (size - 1);
      slots_[at] = &name;
    }
  }
  bool holds(std::string_view name) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t at = hashOf(name) & mask; slots_[at]; at = (at + 1) & mask)
      if (*slots_[at] == name) return true;
    return false;
  }

 private:
  std::vector<const std::string*> slots_;
};

}  // namespace

void Findings::consoleLine() {
  if (on) ++count_;
}

std::uint32_t Findings::number(std::vector<std::string>& list,
                               std::unordered_map<std::string, std::uint32_t>& numbers,
                               std::string_view text) {
  auto [place, added] = numbers.emplace(std::string(text), static_cast<std::uint32_t>(list.size()));
  if (added) list.emplace_back(text);
  return place->second;
}

void Findings::report(Place place, std::initializer_list<std::string_view> text) {
  ++count_;
  // The line made of pieces cut at a zero byte, as the console writes its
  // own: a zero byte in a name ends that piece only, never the line.
  written_ += untilNul(position(files_[place.file], place.line));
  written_ += Warning;
  for (std::string_view piece : text) written_ += untilNul(piece);
  written_ += LineEnd;
  if (written_.size() >= HeldBytes) writeLines();
}

void Findings::writeLines() {
  if (!written_.empty()) platform_.printError(written_);
  written_.clear();
}

std::uint32_t Findings::fileNumber(std::string_view file) {
  return on ? number(files_, fileNumbers_, file) : 0;
}

std::uint32_t Findings::pageNumber(std::string_view pagePath) {
  if (!on) return 0;
  std::string page(pagePath);
  std::replace(page.begin(), page.end(), '\\', '/');
  return number(pages_, pageNumbers_, page);
}

void Findings::entry(IndexKind kind, std::uint32_t file, std::uint32_t line) {
  if (on) entries_[static_cast<int>(kind)].push_back({{file, line}, met_++});
}

void Findings::entryLine(IndexKind kind, std::uint32_t line) {
  std::vector<Met>& entries = entries_[static_cast<int>(kind)];
  if (!entries.empty()) entries.back().place.line = line;
}

void Findings::blockWithoutProcedure(std::uint32_t file, std::uint32_t line) {
  if (on) blocks_.push_back({{file, line}, met_++});
}

void Findings::seeAlsoLine(std::string_view text, std::uint32_t file, std::uint32_t page,
                           std::uint32_t line) {
  if (!on) return;
  seeAlso_.push_back({static_cast<std::uint32_t>(lines_.size()),
                      static_cast<std::uint32_t>(text.size()), {file, line}, page});
  lines_.append(text);
}

// Equal names stand side by side in a sorted index, in the order of their
// entries, among those that differ only in case. A line's entry is found
// by where the line stood before the sort: the lines were written in the
// order of the entries.
void Findings::findDuplicates(IndexKind kind, const IndexTable& table,
                              std::vector<PassFinding>& found) {
  const std::vector<Met>& entries = entries_[static_cast<int>(kind)];
  if (table.count != entries.size()) return;  // not this run's entries, line for line
  const IndexRecord* records = table.records();
  std::vector<std::uint32_t> starts;  // every line's start, in the order written
  auto entryOf = [&](const IndexRecord& record) -> const Met& {
    if (starts.empty()) {
      starts.reserve(table.count);
      for (std::uint32_t i = 0; i < table.count; ++i) starts.push_back(records[i].lineStart);
      std::sort(starts.begin(), starts.end());
    }
    return entries[static_cast<std::size_t>(
        std::lower_bound(starts.begin(), starts.end(), record.lineStart) - starts.begin())];
  };
  for (std::uint32_t run = 0; run < table.count;) {
    const std::string_view first = nameOf(table, records[run]);
    std::uint32_t end = run + 1;
    // Names the same but for the case of a-z and A-Z sort alike: they
    // stand side by side.
    while (end < table.count && equalIgnoringAsciiCase(nameOf(table, records[end]), first)) ++end;
    for (std::uint32_t later = run + 1; later < end; ++later) {
      const std::string_view name = nameOf(table, records[later]);
      std::uint32_t earlier = run;
      while (earlier < later && nameOf(table, records[earlier]) != name) ++earlier;
      if (earlier == later || name.empty()) continue;
      const Met& again = entryOf(records[later]);
      const Met& original = entryOf(records[earlier]);
      found.push_back({again, asWritten(name) + std::string(AlreadyIn) +
                                  position(files_[original.place.file], original.place.line) +
                                  std::string(Documented)});
    }
    run = end;
  }
}

void Findings::reportPass(const IndexTable* procedures, const IndexTable* structures) {
  if (!on) return;
  std::vector<PassFinding> found;
  for (const Met& block : blocks_) found.push_back({block, std::string(NoProcedure)});
  if (procedures) findDuplicates(IndexKind::Procedure, *procedures, found);
  if (structures) findDuplicates(IndexKind::Structure, *structures, found);
  std::sort(found.begin(), found.end(), [](const PassFinding& a, const PassFinding& b) {
    return a.met.order < b.met.order;
  });
  for (const PassFinding& finding : found) report(finding.met.place, {finding.text});
  writeLines();
}

void Findings::reportSeeAlso(const SeeAlsoOutcome* outcome, const EntryLookup* entries) {
  if (!on) return;
  std::vector<char> rewritten(pages_.size(), 0);
  if (outcome)
    for (std::size_t p = 0; p < pages_.size(); ++p)
      rewritten[p] = outcome->rewritten.count(pages_[p]) != 0;
  const std::unordered_set<std::string> none;
  const NameSet unlinked(outcome ? outcome->unlinked : none);
  std::string onPage;
  for (const SeeAlsoLine& line : seeAlso_) {
    // On a page the pass rewrote, a name it linked is none; where it
    // linked every name, no line of the page needs a look.
    const bool rewrittenPage = outcome && rewritten[line.page] != 0;
    if (rewrittenPage && outcome->unlinked.empty()) continue;
    forEachName(std::string_view(lines_.data() + line.start, line.length),
                [&](std::string_view written) {
                  // As the page has the name: with its umlauts as entities.
                  const std::uint32_t umlauts = countUmlauts(written);
                  std::string_view asOnPage = written;
                  if (umlauts != 0) {
                    onPage.resize(written.size() + 6 * std::size_t{umlauts});
                    onPage.resize(escapeUmlauts(written, onPage.data()));
                    asOnPage = onPage;
                  }
                  std::string_view linkTag;
                  if (rewrittenPage ? !unlinked.holds(asOnPage)
                                    : entries && entries->find(asOnPage, linkTag))
                    return;
                  report(line.place, {SeeAlsoMark, written, NoEntry});
                });
  }
  writeLines();
}

}  // namespace pirvex

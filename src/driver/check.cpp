#include "driver/check.h"

#include "index/see_also_items.h"
#include "page/escape.h"

namespace pirvex {
namespace {

constexpr std::string_view Warning = ": Warnung: ";
constexpr std::string_view LineEnd = "\r\n";
constexpr std::string_view NoEntry = " findet keinen Eintrag";
constexpr std::string_view SeeAlsoMark = "see-Verweis ";
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

}  // namespace

void Findings::consoleLine() {
  if (on) ++count_;
}

std::uint32_t Findings::fileNumber(std::string_view file) {
  auto [place, added] =
      fileNumbers_.emplace(std::string(file), static_cast<std::uint32_t>(files_.size()));
  if (added) files_.emplace_back(file);
  return place->second;
}

void Findings::report(Place place, std::initializer_list<std::string_view> text) {
  ++count_;
  // Piece by piece, as the console lines are written: a zero byte in a
  // name ends that piece only, never the line.
  platform_.printError(position(files_[place.file], place.line));
  platform_.printError(Warning);
  for (std::string_view piece : text) platform_.printError(piece);
  platform_.printError(LineEnd);
}

void Findings::entry(IndexKind kind, std::string_view name, std::string_view file,
                     std::uint32_t line) {
  if (!on) return;
  const Place here{fileNumber(file), line};
  auto [first, added] = entries_[static_cast<int>(kind)].emplace(std::string(name), here);
  if (added) return;
  // Links reach only one entry of a name: the later one is the finding.
  report(here, {name, AlreadyIn, position(files_[first->second.file], first->second.line),
                Documented});
}

void Findings::blockWithoutProcedure(std::string_view file, std::uint32_t line) {
  if (on) report({fileNumber(file), line}, {NoProcedure});
}

void Findings::seeAlsoLine(std::string_view text, std::string_view file, std::uint32_t line) {
  if (!on) return;
  const Place here{fileNumber(file), line};
  // The names as the see-also pass takes them from the page: the umlaut
  // entities the page has instead of some bytes separate no name.
  const auto remaining = [&](std::size_t at) { return static_cast<std::uint32_t>(text.size() - at); };
  std::size_t at = separatorRun(text.data(), remaining(0));
  while (at < text.size()) {
    const std::uint32_t length = itemNameLength(text.data() + at, remaining(at));
    if (length == 0) break;  // the list's end, "</UL", on the line
    seeAlso_.push_back({static_cast<std::uint32_t>(names_.size()), length, here});
    names_.append(text.substr(at, length));
    at += length;
    at += separatorRun(text.data() + at, remaining(at));
  }
}

void Findings::reportSeeAlso(const EntryLookup* entries) {
  std::string onPage;
  for (const SeeAlsoName& name : seeAlso_) {
    const std::string_view written(names_.data() + name.start, name.length);
    onPage.resize(written.size() + 6 * std::size_t{countUmlauts(written)});
    onPage.resize(escapeUmlauts(written, onPage.data()));
    std::string_view linkTag;
    if (entries && entries->find(onPage, linkTag)) continue;
    report(name.place, {SeeAlsoMark, written, NoEntry});
  }
}

}  // namespace pirvex

#include "index/see_also.h"

#include <algorithm>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

#include "index/index_line.h"
#include "index/see_also_items.h"
#include "page/escape.h"
#include "page/fragments.h"
#include "page/page_writer.h"
#include "platform/text.h"
#include "platform/whole_file.h"

namespace pirvex {
namespace {

// The next see-also list's opening at or after `from`, or npos. Pages are
// full of "<", so a search that skips ahead by the pattern's length beats
// one that stops at every "<".
std::size_t findSeeAlso(std::string_view text, std::size_t from) {
  static const std::boyer_moore_horspool_searcher searcher(SeeAlsoPattern.begin(),
                                                           SeeAlsoPattern.end());
  if (from > text.size()) return std::string_view::npos;
  auto found = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), searcher);
  return found == text.end() ? std::string_view::npos
                             : static_cast<std::size_t>(found - text.begin());
}

bool startsWith(const char* position, std::uint32_t remaining, std::string_view text) {
  return std::string_view(position, remaining).starts_with(text);
}

// The page path of an index line: after its first double quote, up to the
// "#" after that; false for a line without them.
bool linkedPagePath(std::string_view line, std::string_view& pagePath) {
  std::size_t start = line.find(LinkPathStart);
  if (start == std::string_view::npos) return false;
  std::size_t end = line.find(LinkPathEnd, start + 1);
  if (end == std::string_view::npos) return false;
  pagePath = line.substr(start + 1, end - start - 1);
  return true;
}

}  // namespace

bool insideOutputDirectory(std::string_view pagePath) {
  constexpr std::string_view OutputDirectory = "pirVex";
  std::vector<std::string_view> resolved{OutputDirectory};
  bool above = false;  // climbed above where the output directory stands
  std::size_t start = 0;
  std::string_view path = untilNul(pagePath);
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !isPathSeparator(path[i])) continue;
    std::string_view part = path.substr(start, i - start);
    start = i + 1;
    if (part.empty() || part == ".") continue;
    if (part != "..")
      resolved.push_back(part);
    else if (resolved.empty())
      above = true;
    else
      resolved.pop_back();
  }
  return !above && resolved.size() >= 2 && resolved.front() == OutputDirectory;
}

namespace {

// Where a page this run wrote can be rewritten in place: the bytes before
// its first see-also list stay as they are, and the page cannot get
// shorter, which only blanks directly after a list's opening drop. Gives
// the offset of the first byte that may change (the page's length when it
// has no list), or false where the page must be created anew.
bool firstChange(std::string_view whole, std::uint32_t& offset) {
  const std::size_t first = findSeeAlso(whole, 0);
  for (std::size_t match = first; match != std::string_view::npos;
       match = findSeeAlso(whole, match + 1)) {
    std::size_t after = match + SeeAlsoPattern.size();
    if (after < whole.size() && isBlank(static_cast<unsigned char>(whole[after]))) return false;
  }
  offset = static_cast<std::uint32_t>(first == std::string_view::npos
                                          ? whole.size()
                                          : first + SeeAlsoPattern.size());
  return true;
}

}  // namespace

bool rewritePage(OutputFiles& outputs, const EntryLookup& entries, std::string_view pagePath,
                 char* text, std::uint32_t length, std::unordered_set<std::string>* unlinked) {
  platform::Platform& platform = outputs.platform();
  const std::string fileName = pageFileName(pagePath);
  const std::string_view whole(text, length);
  // A page this run wrote is the same file still: only what changes is
  // written, over it. Any other page is created anew, so that nothing is
  // written through whatever stands at its name.
  std::uint32_t unchanged = 0;  // bytes at the start that are on the page already
  const bool inPlace = outputs.created(fileName) && firstChange(whole, unchanged);
  platform::File out = inPlace ? outputs.reopen(fileName, unchanged) : outputs.create(fileName);
  if (out == platform::NoFile) return false;
  const std::string prefix = upLevels(pagePath);

  if (!inPlace) RewrittenMark.copy(text, RewrittenMark.size());
  std::uint32_t written = unchanged;  // bytes of `text` already on the new page
  auto flush = [&](std::uint32_t upTo) {
    if (upTo > written) platform.writeBytes(out, text + written, upTo - written);
    written = upTo;
  };
  std::uint32_t position = 0;
  for (;;) {
    std::size_t match = findSeeAlso(whole, position);
    if (match == std::string_view::npos) break;
    position = static_cast<std::uint32_t>(match + SeeAlsoPattern.size());
    flush(position);
    for (;;) {
      while (position < length && isBlank(static_cast<unsigned char>(text[position]))) ++position;
      written = position;  // blanks before the first name are dropped
      if (position >= length || startsWith(text + position, length - position, SeeAlsoListEnd)) break;
      std::uint32_t nameLength = itemNameLength(text + position, length - position);
      std::string_view name(text + position, nameLength);
      std::string_view linkTag;
      if (entries.find(name, linkTag)) {
        std::size_t split = std::min(LinkStart.size(), linkTag.size());
        platform.writeText(out, linkTag.substr(0, split));
        platform.writeText(out, prefix);
        platform.writeText(out, linkTag.substr(split));
        platform.writeText(out, name);
        platform.writeText(out, LinkClose);
        written = position + nameLength;
      } else if (unlinked && nameLength > 0) {
        unlinked->emplace(name);
      }
      position += nameLength;
      position += separatorRun(text + position, length - position);
      flush(position);
    }
  }
  flush(length);
  if (inPlace) platform.writeBytesAt(out, 0, RewrittenMark.data(), RewrittenMark.size());
  outputs.close(out, fileName);
  return true;
}

void linkSeeAlso(OutputFiles& outputs, const IndexTable& procedures,
                 const IndexTable& structures) {
  linkSeeAlso(outputs, procedures, EntryLookup(outputs.platform(), procedures, structures));
}

void linkSeeAlso(OutputFiles& outputs, const IndexTable& procedures, const EntryLookup& entries,
                 SeeAlsoOutcome* outcome) {
  platform::Platform& platform = outputs.platform();
  // Pages rewritten in this pass begin with "<html>" now; they are passed
  // over without reading them again.
  SeeAlsoOutcome own;
  SeeAlsoOutcome& done = outcome ? *outcome : own;
  std::unordered_set<std::string>& rewritten = done.rewritten;
  for (std::uint32_t i = 0; i < procedures.count; ++i) {
    std::string_view linked;
    if (!linkedPagePath(procedures.line(procedures.records()[i]), linked)) continue;
    // The line's address carries the path with its markup and fragment
    // bytes escaped: the page is the file of the path they stand for.
    std::string pagePath = linkPathDecoded(linked);
    if (rewritten.count(pagePath)) continue;
    const std::string fileName = pageFileName(pagePath);
    if (!insideOutputDirectory(pagePath) && !outputs.created(fileName)) continue;
    WholeFile page;
    if (readWholeFile(platform, fileName, platform::MemoryUse::PageText, page) !=
        WholeFileRead::Read)
      continue;
    // Only what the page writer made, beginning with "<HTML>", is rewritten:
    // an index line left from an earlier run may name any file, a source
    // included, and a page rewritten already begins with "<htm".
    if (!page.view().starts_with(PageMark)) continue;
    if (rewritePage(outputs, entries, pagePath, page.text.bytes(), page.size,
                    outcome ? &outcome->unlinked : nullptr))
      rewritten.insert(std::move(pagePath));
  }
}

}  // namespace pirvex

#include "index/see_also.h"

#include <algorithm>
#include <string>
#include <unordered_set>

#include "index/entry_lookup.h"
#include "page/fragments.h"
#include "page/heading.h"
#include "page/page_writer.h"

namespace pirvex {
namespace {

constexpr std::string_view SeeAlsoPattern = "<B>see:</B>\r\n<UL>\r\n<LI>";
constexpr std::string_view ListEnd = "</UL";
constexpr std::string_view RewrittenMark = "<html>";
constexpr std::string_view PageMark = "<HTML>";
constexpr std::uint32_t LinkStartSize = 9;  // "<A HREF=\""

bool isItemEnd(char c) { return isItemSeparator(c) || c == '<'; }

bool startsWith(const char* position, std::uint32_t remaining, std::string_view text) {
  return remaining >= text.size() && std::string_view(position, text.size()) == text;
}

}  // namespace

std::uint32_t itemNameLength(const char* position, std::uint32_t remaining) {
  std::uint32_t length = 0;
  while (length < remaining && !isItemEnd(position[length])) ++length;
  return length;
}

std::uint32_t separatorRun(const char* position, std::uint32_t remaining) {
  std::uint32_t length = 0;
  while (length < remaining) {
    char c = position[length];
    if (isItemSeparator(c)) {
      ++length;
      continue;
    }
    if (c != '<' || startsWith(position + length, remaining - length, ListEnd)) break;
    while (length < remaining && position[length] != '>') ++length;
    if (length < remaining) ++length;  // the ">"
  }
  return length;
}

bool rewritePage(RunState& run, const EntryLookup& entries, File page) {
  const std::string fileName = pageFileName(run.context.pagePath);
  std::uint32_t size = 0;
  MemoryBlock buffer;
  if (platform::fileSizeByName(fileName, size) && size != 0) buffer = MemoryBlock(size);
  std::uint32_t length = buffer ? platform::readBytesAt(page, 0, buffer.data(), size) : 0;
  platform::closeFile(page);
  // Pages shorter than the mark are left as they are.
  if (length < RewrittenMark.size()) return false;
  File out = platform::createFileAnew(fileName);
  if (out == NoFile) return false;

  char* text = buffer.bytes();
  RewrittenMark.copy(text, RewrittenMark.size());
  std::uint32_t written = 0;  // bytes of `text` already on the new page
  auto flush = [&](std::uint32_t upTo) {
    if (upTo > written) platform::writeBytes(out, text + written, upTo - written);
    written = upTo;
  };
  const std::string_view whole(text, length);
  std::uint32_t position = 0;
  for (;;) {
    std::size_t match = whole.find(SeeAlsoPattern, position);
    if (match == std::string_view::npos) break;
    position = static_cast<std::uint32_t>(match + SeeAlsoPattern.size());
    flush(position);
    for (;;) {
      while (position < length && isBlank(static_cast<unsigned char>(text[position]))) ++position;
      written = position;  // blanks before the first name are dropped
      if (position >= length || startsWith(text + position, length - position, ListEnd)) break;
      std::uint32_t nameLength = itemNameLength(text + position, length - position);
      std::string_view name(text + position, nameLength);
      std::string_view linkTag;
      if (entries.find(name, linkTag)) {
        std::size_t split = std::min<std::size_t>(LinkStartSize, linkTag.size());
        platform::writeBytes(out, linkTag.substr(0, split));
        writeUpLevels(run, out);
        platform::writeBytes(out, linkTag.substr(split));
        platform::writeBytes(out, name);
        platform::writeBytes(out, "</A>");
        written = position + nameLength;
      }
      position += nameLength;
      position += separatorRun(text + position, length - position);
      flush(position);
    }
  }
  flush(length);
  platform::closeFile(out);
  return true;
}

void linkSeeAlso(RunState& run) {
  const IndexTable& index = run.procedureIndex;
  const EntryLookup entries(run.procedureIndex, run.structureIndex);
  // Pages rewritten in this pass begin with "<html>" now; they are passed
  // over without opening them again.
  std::unordered_set<std::string> rewritten;
  for (std::uint32_t i = 0; i < index.count; ++i) {
    std::string_view line = index.line(index.records()[i]);
    std::size_t quote = line.find('"');
    if (quote == std::string_view::npos) continue;
    std::size_t hash = line.find('#', quote + 1);
    if (hash == std::string_view::npos) continue;
    run.context.pagePath.assign(line.substr(quote + 1, hash - quote - 1));
    if (rewritten.count(run.context.pagePath)) continue;
    File page = platform::openForReading(pageFileName(run.context.pagePath));
    if (page == NoFile) continue;
    char head[6];
    std::uint32_t got = platform::readBytesAt(page, 0, head, sizeof head);
    // A page rewritten already begins with "<htm". Only what the page writer
    // made, beginning with "<HTML>", is rewritten: an index line left from an
    // earlier run may name any file, a source included.
    if (std::string_view(head, got) != PageMark) {
      platform::closeFile(page);
      continue;
    }
    if (rewritePage(run, entries, page)) rewritten.insert(run.context.pagePath);
  }
}

}  // namespace pirvex

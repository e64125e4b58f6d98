#include "index/see_also.h"

#include <algorithm>
#include <string>

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

bool isItemEnd(char c) {
  return c == CR || c == LF || c == '\t' || c == ',' || c == ' ' || c == '<';
}

bool startsWith(const char* position, std::uint32_t remaining, std::string_view text) {
  return remaining >= text.size() && std::string_view(position, text.size()) == text;
}

bool findIn(const IndexTable& table, std::string_view name, std::string_view& linkTag) {
  const char* text = table.text.bytes();
  for (std::uint32_t i = 0; i < table.count; ++i) {
    const IndexRecord& record = table.records()[i];
    std::uint32_t available = table.textSize - record.nameStart;
    if (available <= name.size()) continue;
    if (std::string_view(text + record.nameStart, name.size()) != name) continue;
    if (text[record.nameStart + name.size()] != '<') continue;
    linkTag = std::string_view(text + record.lineStart, record.nameStart - record.lineStart);
    return true;
  }
  return false;
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
    if (c == CR || c == LF || c == '\t' || c == ',' || c == ' ') {
      ++length;
      continue;
    }
    if (c != '<' || startsWith(position + length, remaining - length, ListEnd)) break;
    while (length < remaining && position[length] != '>') ++length;
    if (length < remaining) ++length;  // the ">"
  }
  return length;
}

bool findIndexEntry(const RunState& run, std::string_view name, std::string_view& linkTag) {
  return findIn(run.procedureIndex, name, linkTag) || findIn(run.structureIndex, name, linkTag);
}

void rewritePage(RunState& run, File page) {
  const std::string fileName = pageFileName(run.context.pagePath);
  std::uint32_t size = 0;
  MemoryBlock buffer;
  if (platform::fileSizeByName(fileName, size) && size != 0) buffer = MemoryBlock(size);
  std::uint32_t length = buffer ? platform::readBytesAt(page, 0, buffer.data(), size) : 0;
  platform::closeFile(page);
  // Pages shorter than the mark are left as they are.
  if (length < RewrittenMark.size()) return;
  File out = platform::createFileAnew(fileName);
  if (out == NoFile) return;

  char* text = buffer.bytes();
  RewrittenMark.copy(text, RewrittenMark.size());
  std::uint32_t written = 0;  // bytes of `text` already on the new page
  auto flush = [&](std::uint32_t upTo) {
    if (upTo > written) platform::writeBytes(out, text + written, upTo - written);
    written = upTo;
  };
  std::uint32_t position = 0;
  while (position + SeeAlsoPattern.size() <= length) {
    if (!startsWith(text + position, length - position, SeeAlsoPattern)) {
      ++position;
      continue;
    }
    position += static_cast<std::uint32_t>(SeeAlsoPattern.size());
    flush(position);
    for (;;) {
      while (position < length && isBlank(static_cast<unsigned char>(text[position]))) ++position;
      written = position;  // blanks before the first name are dropped
      if (position >= length || startsWith(text + position, length - position, ListEnd)) break;
      std::uint32_t nameLength = itemNameLength(text + position, length - position);
      std::string_view name(text + position, nameLength);
      std::string_view linkTag;
      if (findIndexEntry(run, name, linkTag)) {
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
}

void linkSeeAlso(RunState& run) {
  const IndexTable& index = run.procedureIndex;
  for (std::uint32_t i = 0; i < index.count; ++i) {
    std::string_view line = index.line(index.records()[i]);
    std::size_t quote = line.find('"');
    if (quote == std::string_view::npos) continue;
    std::size_t hash = line.find('#', quote + 1);
    if (hash == std::string_view::npos) continue;
    run.context.pagePath.assign(line.substr(quote + 1, hash - quote - 1));
    File page = platform::openForReading(pageFileName(run.context.pagePath));
    if (page == NoFile) continue;
    char head[6];
    std::uint32_t got = platform::readBytesAt(page, 0, head, sizeof head);
    std::string_view start(head, got);
    // A page rewritten already begins with "<htm". Only what the page writer
    // made, beginning with "<HTML>", is rewritten: an index line left from an
    // earlier run may name any file, a source included.
    if (start.substr(0, 4) == "<htm" || start != PageMark) {
      platform::closeFile(page);
      continue;
    }
    rewritePage(run, page);
  }
}

}  // namespace pirvex

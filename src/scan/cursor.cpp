#include "scan/cursor.h"

#include <bit>
#include <cstdint>
#include <cstring>

#include "platform/text.h"

namespace pirvex {
namespace {

// The offset of the first CR in the bytes, or `count`: eight bytes a step
// and no call into the C library, whose memchr looks at one byte a step on
// some systems. Every line of every source is measured here.
std::uint32_t firstCR(const char* bytes, std::uint32_t count) {
  constexpr std::uint64_t Ones = 0x0101010101010101ULL;
  constexpr std::uint64_t Highs = 0x8080808080808080ULL;
  std::uint32_t at = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; count - at >= 8; at += 8) {
      std::uint64_t word;
      std::memcpy(&word, bytes + at, sizeof word);
      // A byte of `other` is zero where the byte is CR; its lowest flagged
      // byte is the first such one (a false flag can only stand above it).
      const std::uint64_t other = word ^ (Ones * static_cast<unsigned char>(CR));
      const std::uint64_t flags = (other - Ones) & ~other & Highs;
      if (flags != 0) return at + static_cast<std::uint32_t>(std::countr_zero(flags) / 8);
    }
  }
  while (at < count && bytes[at] != CR) ++at;
  return at;
}

}  // namespace

void skipBlanks(Cursor& cursor) {
  while (!cursor.atEnd() && isBlank(cursor.byte())) cursor.advance(1);
}

void nextLine(Cursor& cursor) {
  std::uint32_t length = lineLength(cursor);
  if (length == cursor.remaining) {
    cursor.advance(length);
    return;
  }
  cursor.advance(length + 1);
  if (!cursor.atEnd() && cursor.byte() == LF) cursor.advance(1);
}

std::uint32_t lineLength(Cursor cursor) {
  if (cursor.atEnd()) return 0;
  return firstCR(cursor.position, cursor.remaining);
}

std::string_view trimTrailingBlanks(std::string_view span) {
  while (!span.empty() && isBlank(static_cast<unsigned char>(span.back()))) span.remove_suffix(1);
  return span;
}

bool matchKeyword(Cursor cursor, std::string_view keyword) {
  if (cursor.remaining < keyword.size()) return false;
  for (std::uint32_t i = 0; i < keyword.size(); ++i) {
    if (upperAscii(cursor.byte(i)) != static_cast<unsigned char>(keyword[i])) return false;
  }
  return true;
}

bool containsKeyword(Cursor cursor, std::uint32_t count, std::string_view keyword) {
  for (std::uint32_t i = 0; i < count && !cursor.atEnd(); ++i) {
    if (matchKeyword(cursor, keyword)) return true;
    cursor.advance(1);
  }
  return false;
}

bool isDocLine(Cursor cursor) {
  skipBlanks(cursor);
  return cursor.remaining >= 2 && cursor.byte() == ';' && cursor.byte(1) == '*';
}

Cursor docText(Cursor cursor) {
  skipBlanks(cursor);
  cursor.advance(2);
  skipBlanks(cursor);
  return cursor;
}

std::string_view docLineText(Cursor cursor) {
  const Cursor text = docText(cursor);
  return trimTrailingBlanks(spanAt(text, lineLength(text)));
}

bool isPlainComment(Cursor cursor) {
  skipBlanks(cursor);
  if (cursor.atEnd() || cursor.byte() != ';') return false;
  if (cursor.remaining == 1) return true;
  return cursor.byte(1) != '*';
}

bool skipCommentDirective(Cursor& cursor) {
  Cursor scan = cursor;
  skipBlanks(scan);
  if (scan.remaining <= 7) return false;
  if (!matchKeyword(scan, "COMMENT")) return false;
  scan.advance(7);
  if (!isBlank(scan.byte())) return false;
  skipBlanks(scan);
  if (scan.remaining <= 1) return false;
  unsigned char delimiter = scan.byte();
  scan.advance(1);
  while (!scan.atEnd()) {
    unsigned char c = scan.byte();
    scan.advance(1);
    if (c == delimiter) break;
  }
  cursor = scan;
  return true;
}

std::uint32_t wordLength(Cursor cursor) {
  std::uint32_t length = 0;
  while (length < cursor.remaining) {
    char c = cursor.position[length];
    if (c == CR) break;
    ++length;
    if (c == ' ') break;
  }
  return length;
}

}  // namespace pirvex

#include "scan/cursor.h"

#include <cstring>

#include "platform/text.h"

namespace pirvex {

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
  const void* end = std::memchr(cursor.position, CR, cursor.remaining);
  return end ? static_cast<std::uint32_t>(static_cast<const char*>(end) - cursor.position)
             : cursor.remaining;
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

bool startsWithAtSign(std::string_view span) { return !span.empty() && span.front() == '@'; }

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

#include "scan/structures.h"

namespace pirvex {
namespace {

constexpr std::string_view StrucKeyword = "STRUC";
constexpr std::string_view EndsKeyword = "ENDS";
constexpr std::string_view DupKeyword = "DUP";

// A field word runs to a space, a tab or the end of its line.
std::string_view takeWord(Cursor& cursor) {
  std::uint32_t length = 0;
  while (length < cursor.remaining) {
    char c = cursor.position[length];
    if (c == ' ' || c == '\t' || c == CR) break;
    ++length;
  }
  std::string_view word = spanAt(cursor, length);
  cursor.advance(length);
  return word;
}

}  // namespace

bool structureName(Cursor cursor, std::string_view& name, bool lenient) {
  skipBlanks(cursor);
  Cursor start = cursor;
  std::uint32_t length = 0;
  while (length < cursor.remaining && !endsWord(cursor.byte(length), lenient)) {
    if (cursor.position[length] == CR) return false;
    ++length;
  }
  if (length == cursor.remaining) return false;
  cursor.advance(length + 1);
  skipBlanks(cursor);
  if (cursor.remaining < 4 || !matchKeyword(cursor, StrucKeyword)) return false;
  name = trimTrailingBlanks(spanAt(start, length));
  return true;
}

bool parseDup(Cursor cursor, DupField& field) {
  takeWord(cursor);
  skipBlanks(cursor);
  std::string_view count = takeWord(cursor);
  skipBlanks(cursor);
  if (!matchKeyword(cursor, DupKeyword)) return false;
  field.count = count;
  field.argument = {};
  cursor.advance(static_cast<std::uint32_t>(DupKeyword.size()));
  Cursor line(cursor.position, lineLength(cursor));
  while (!line.atEnd() && line.byte() != '(') line.advance(1);
  if (line.atEnd()) return true;
  line.advance(1);
  skipBlanks(line);
  std::uint32_t length = 0;
  while (length < line.remaining && line.position[length] != ')') ++length;
  field.argument = spanAt(line, length);
  return true;
}

StructureField parseField(Cursor cursor) {
  StructureField field;
  field.name = takeWord(cursor);
  skipBlanks(cursor);
  DupField dup;
  field.repeated = parseDup(cursor, dup);
  field.type = takeWord(cursor);
  skipBlanks(cursor);
  field.value = takeWord(cursor);
  if (field.repeated) field.argument = dup.argument;
  return field;
}

bool nextStructureField(Cursor& cursor, StructureField& field) {
  for (;;) {
    skipBlanks(cursor);
    if (cursor.atEnd()) return false;
    if (skipCommentDirective(cursor)) continue;
    if (cursor.byte() == CR || cursor.byte() == ';') {
      nextLine(cursor);
      continue;
    }
    if (containsKeyword(cursor, lineLength(cursor), EndsKeyword)) return false;
    field = parseField(cursor);
    nextLine(cursor);
    return true;
  }
}

}  // namespace pirvex

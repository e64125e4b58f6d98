#include "scan/includes.h"

namespace pirvex {
namespace {

constexpr std::uint32_t DirectiveLength = 8;  // "INCLUDE" and the byte after it

// Whether the byte opens a name that is stepped over, and the byte that
// then closes it besides the double quote: the double quote itself always,
// "<" with ">" and the single quote as the assemblers read them.
bool opensName(unsigned char c, bool lenient, char& closer) {
  if (c == '"') closer = '"';
  else if (lenient && c == '<') closer = '>';
  else if (lenient && c == '\'') closer = '\'';
  else return false;
  return true;
}

}  // namespace

bool includeDirective(Cursor cursor, std::string_view& name, bool lenient) {
  skipBlanks(cursor);
  if (cursor.remaining < DirectiveLength) return false;
  if (matchKeyword(cursor, "INCLUDELIB") || !matchKeyword(cursor, "INCLUDE")) return false;
  cursor.advance(DirectiveLength);
  skipBlanks(cursor);
  char closer = '"';
  if (!cursor.atEnd() && opensName(cursor.byte(), lenient, closer)) {
    cursor.advance(1);
    skipBlanks(cursor);
  }
  std::uint32_t length = 0;
  while (length < cursor.remaining) {
    char c = cursor.position[length];
    // A zero byte ends the name as the system would end it: the page path
    // made from the name must keep its ".HTM".
    if (c == ' ' || c == '\t' || c == CR || c == '"' || c == '\0' || c == closer) break;
    ++length;
  }
  name = spanAt(cursor, length);
  return true;
}

}  // namespace pirvex

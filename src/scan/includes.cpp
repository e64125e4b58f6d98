#include "scan/includes.h"

namespace pirvex {
namespace {

constexpr std::uint32_t DirectiveLength = 8;  // "INCLUDE" and the byte after it

}  // namespace

bool includeDirective(Cursor cursor, std::string_view& name) {
  skipBlanks(cursor);
  if (cursor.remaining < DirectiveLength) return false;
  if (matchKeyword(cursor, "INCLUDELIB") || !matchKeyword(cursor, "INCLUDE")) return false;
  cursor.advance(DirectiveLength);
  skipBlanks(cursor);
  if (!cursor.atEnd() && cursor.byte() == '"') {
    cursor.advance(1);
    skipBlanks(cursor);
  }
  std::uint32_t length = 0;
  while (length < cursor.remaining) {
    char c = cursor.position[length];
    // A zero byte ends the name as the system would end it: the page path
    // made from the name must keep its ".HTM".
    if (c == ' ' || c == '\t' || c == CR || c == '"' || c == '\0') break;
    ++length;
  }
  name = spanAt(cursor, length);
  return true;
}

}  // namespace pirvex

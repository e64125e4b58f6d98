#include "scan/entries.h"

namespace pirvex {
namespace {

constexpr std::string_view PublicTag = "@PUBLIC:";
constexpr std::string_view ProcKeyword = "PROC";

// After blanks: the name before the first word end, if "PROC" follows it.
bool procedureBeforeSpace(Cursor start, std::uint32_t spaceAt, std::string_view& name) {
  Cursor rest = start;
  rest.advance(spaceAt + 1);
  skipBlanks(rest);
  if (rest.remaining < ProcKeyword.size() || !matchKeyword(rest, ProcKeyword)) return false;
  name = trimTrailingBlanks(spanAt(start, spaceAt));
  return true;
}

// A procedure line: 'name PROC', or with `labels` also 'name:'.
bool procedureLine(Cursor cursor, bool labels, bool lenient, std::string_view& name) {
  skipBlanks(cursor);
  for (std::uint32_t i = 0; i < cursor.remaining; ++i) {
    char c = cursor.position[i];
    if (c == CR) return false;
    if (c == ':' && labels) {
      name = spanAt(cursor, i + 1);
      return true;
    }
    if (endsWord(static_cast<unsigned char>(c), lenient))
      return procedureBeforeSpace(cursor, i, name);
  }
  return false;
}

}  // namespace

bool isPublicLine(Cursor cursor) {
  Cursor text = docText(cursor);
  return text.remaining >= PublicTag.size() && matchKeyword(text, PublicTag);
}

bool skipNonPublicBlock(bool publicOnly, Cursor& cursor) {
  if (!publicOnly || isPublicLine(cursor)) return false;
  Cursor scan = cursor;
  do {
    nextLine(scan);
  } while (!scan.atEnd() && isDocLine(scan) && !isPublicLine(scan));
  cursor = scan;
  return true;
}

bool publicEntryName(Cursor cursor, std::string_view& name) {
  if (!isPublicLine(cursor)) return false;
  Cursor text = docText(cursor);
  text.advance(static_cast<std::uint32_t>(PublicTag.size()));
  skipBlanks(text);
  name = trimTrailingBlanks(spanAt(text, lineLength(text)));
  return !name.empty();
}

bool findProcedureName(Cursor cursor, std::string_view& name, bool lenient) {
  for (;;) {
    if (cursor.atEnd()) return false;
    nextLine(cursor);
    if (isDocLine(cursor) || isPlainComment(cursor)) continue;
    return procedureLine(cursor, true, lenient, name);
  }
}

bool undocumentedProcedureName(Cursor cursor, std::string_view& name, bool lenient) {
  return procedureLine(cursor, false, lenient, name);
}

}  // namespace pirvex

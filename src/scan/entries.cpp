#include "scan/entries.h"

#include <algorithm>

#include "platform/text.h"

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

// A procedure line: a macro's, 'name PROC', or with `labels` also
// 'name:'. The macro comes first: 'procedure Process,NEAR' declares
// Process, not a procedure named "procedure".
bool procedureLine(Cursor cursor, bool labels, bool lenient, ProcedureMacros macros,
                   std::string_view& name) {
  if (!macros.empty() && macroProcedureName(cursor, macros, name)) return true;
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

bool macroProcedureName(Cursor cursor, ProcedureMacros macros, std::string_view& name) {
  skipBlanks(cursor);
  std::uint32_t wordEnd = 0;
  while (wordEnd < cursor.remaining && !isBlank(cursor.byte(wordEnd)) &&
         cursor.position[wordEnd] != CR)
    ++wordEnd;
  const std::string_view word = spanAt(cursor, wordEnd);
  if (wordEnd == cursor.remaining || !isBlank(cursor.byte(wordEnd)) ||
      std::none_of(macros.begin(), macros.end(),
                   [&](std::string_view macro) { return equalIgnoringAsciiCase(word, macro); }))
    return false;
  cursor.advance(wordEnd);
  skipBlanks(cursor);
  std::uint32_t length = 0;
  while (length < cursor.remaining && !isBlank(cursor.byte(length)) &&
         cursor.position[length] != ',' && cursor.position[length] != CR)
    ++length;
  if (length == 0) return false;  // a macro line without a name declares nothing
  name = spanAt(cursor, length);
  return true;
}

Cursor lineAfterBlock(Cursor cursor) {
  while (!cursor.atEnd()) {
    nextLine(cursor);
    if (!isDocLine(cursor) && !isPlainComment(cursor)) break;
  }
  return cursor;
}

bool findProcedureName(Cursor cursor, std::string_view& name, bool lenient,
                       ProcedureMacros macros) {
  return procedureLine(lineAfterBlock(cursor), true, lenient, macros, name);
}

bool undocumentedProcedureName(Cursor cursor, std::string_view& name, bool lenient,
                               ProcedureMacros macros) {
  return procedureLine(cursor, false, lenient, macros, name);
}

}  // namespace pirvex

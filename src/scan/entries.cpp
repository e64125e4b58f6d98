#include "scan/entries.h"

#include "page/escape.h"
#include "page/fragments.h"
#include "page/heading.h"
#include "page/page_writer.h"

namespace pirvex {
namespace {

constexpr std::string_view PublicTag = "@PUBLIC:";

// After blanks: the name before the first space, if "PROC" follows it.
bool procedureBeforeSpace(Cursor start, std::uint32_t spaceAt, std::string_view& name) {
  Cursor rest = start;
  rest.advance(spaceAt + 1);
  skipBlanks(rest);
  if (rest.remaining < 4 || !matchKeyword(rest, "PROC")) return false;
  name = trimTrailingBlanks(spanAt(start, spaceAt));
  return true;
}

// A procedure line: 'name PROC', or with `labels` also 'name:'.
bool procedureLine(Cursor cursor, bool labels, std::string_view& name) {
  skipBlanks(cursor);
  for (std::uint32_t i = 0; i < cursor.remaining; ++i) {
    char c = cursor.position[i];
    if (c == CR) return false;
    if (c == ':' && labels) {
      name = spanAt(cursor, i + 1);
      return true;
    }
    if (c == ' ') return procedureBeforeSpace(cursor, i, name);
  }
  return false;
}

// The Cursor after ";*" and the blanks around it.
Cursor docText(Cursor cursor) {
  skipBlanks(cursor);
  cursor.advance(2);
  skipBlanks(cursor);
  return cursor;
}

}  // namespace

bool isPublicLine(Cursor cursor) {
  Cursor text = docText(cursor);
  return text.remaining >= PublicTag.size() && matchKeyword(text, PublicTag);
}

bool skipNonPublicBlock(const RunState& run, Cursor& cursor) {
  if (!run.publicOnly || isPublicLine(cursor)) return false;
  Cursor scan = cursor;
  do {
    nextLine(scan);
  } while (!scan.atEnd() && isDocLine(scan) && !isPublicLine(scan));
  cursor = scan;
  return true;
}

bool writePublicEntry(RunState& run, Cursor cursor) {
  Cursor text = docText(cursor);
  if (text.remaining < PublicTag.size() || !matchKeyword(text, PublicTag)) return false;
  text.advance(static_cast<std::uint32_t>(PublicTag.size()));
  skipBlanks(text);
  std::string_view publicName = trimTrailingBlanks(spanAt(text, lineLength(text)));
  if (publicName.empty()) return false;
  writeEntryHeading(run, publicName);
  if (run.publicOnly) return true;
  std::string_view ownName;
  if (findProcedureName(cursor, ownName)) {
    writeEscaped(run, FragPrivateName);
    writeEscaped(run, ownName);
    writeParagraphBreak(run);
  }
  return true;
}

bool findProcedureName(Cursor cursor, std::string_view& name) {
  for (;;) {
    if (cursor.atEnd()) return false;
    nextLine(cursor);
    if (isDocLine(cursor) || isPlainComment(cursor)) continue;
    return procedureLine(cursor, true, name);
  }
}

void writeDocumentedEntry(RunState& run, Cursor cursor) {
  std::string_view name;
  if (findProcedureName(cursor, name)) writeEntryHeading(run, name);
}

bool writeUndocumentedEntry(RunState& run, Cursor cursor) {
  std::string_view name;
  if (!procedureLine(cursor, false, name)) return false;
  writeEntryHeading(run, name);
  return true;
}

}  // namespace pirvex

#include "page/structure.h"

#include "index/index_files.h"
#include "page/escape.h"
#include "page/fragments.h"
#include "page/heading.h"
#include "page/page_writer.h"

namespace pirvex {
namespace {

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

// The name of a structure line, or an empty view when the line declares none.
std::string_view structureName(Cursor cursor) {
  skipBlanks(cursor);
  Cursor start = cursor;
  std::uint32_t length = 0;
  while (length < cursor.remaining && cursor.position[length] != ' ') {
    if (cursor.position[length] == CR) return {};
    ++length;
  }
  if (length == cursor.remaining) return {};
  cursor.advance(length + 1);
  skipBlanks(cursor);
  if (cursor.remaining < 4 || !matchKeyword(cursor, "STRUC")) return {};
  return trimTrailingBlanks(spanAt(start, length));
}

}  // namespace

bool parseDup(Cursor cursor, DupField& field) {
  takeWord(cursor);
  skipBlanks(cursor);
  std::string_view count = takeWord(cursor);
  skipBlanks(cursor);
  if (!matchKeyword(cursor, "DUP")) return false;
  field.count = count;
  field.argument = {};
  cursor.advance(3);
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

void writeStructHead(RunState& run, std::string_view name) {
  writeRaw(run, FragStructHead);
  writeRaw(run, name);
  writeRaw(run, FragStructCaptionEnd);
}

void writeStructRow(RunState& run, Cursor cursor) {
  writeRaw(run, FragRowStart);
  writeRaw(run, takeWord(cursor));
  writeRaw(run, FragCellSeparator);
  skipBlanks(cursor);
  DupField dup;
  bool repeated = parseDup(cursor, dup);
  if (repeated) {
    writeRaw(run, dup.count);
    writeRaw(run, FragDupMark);
  }
  writeRaw(run, takeWord(cursor));
  writeRaw(run, FragCellSeparator);
  if (repeated) {
    writeRaw(run, dup.argument);
  } else {
    skipBlanks(cursor);
    writeRaw(run, takeWord(cursor));
  }
  writeRaw(run, FragRowEnd);
}

void writeStructure(RunState& run, Cursor& cursor) {
  std::string_view name = structureName(cursor);
  if (name.empty()) return;
  beginEntry(run);
  addStructureEntry(run, name);
  writeAnchorStart(run);
  writeEscaped(run, name);
  writeAnchorEnd(run);
  writeStructHead(run, name);

  Cursor scan = cursor;
  nextLine(scan);
  for (;;) {
    skipBlanks(scan);
    if (scan.atEnd()) break;
    if (skipCommentDirective(scan)) continue;
    if (scan.byte() == CR || scan.byte() == ';') {
      nextLine(scan);
      continue;
    }
    if (containsKeyword(scan, lineLength(scan), "ENDS")) break;
    writeStructRow(run, scan);
    nextLine(scan);
  }
  writeTableEnd(run);
  writeParagraphBreak(run);
  cursor = scan;
}

}  // namespace pirvex

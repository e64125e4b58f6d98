#include "page/structure.h"

#include "page/escape.h"
#include "page/fragments.h"

namespace pirvex {

void writeStructHead(Page& page, std::string_view name) {
  writeRaw(page, FragStructHead);
  writeEscaped(page, name, MarkupAsText);
  writeRaw(page, FragStructCaptionEnd);
}

void writeStructRow(Page& page, const StructureField& field) {
  writeRaw(page, FragRowStart);
  writeRaw(page, field.name);
  writeRaw(page, FragCellSeparator);
  if (field.repeated) {
    writeRaw(page, field.value);
    writeRaw(page, FragDupMark);
  }
  writeRaw(page, field.type);
  writeRaw(page, FragCellSeparator);
  writeRaw(page, field.repeated ? field.argument : field.value);
  writeRaw(page, FragRowEnd);
}

bool writeStructure(Page& page, const ConfigTab& config, EntryIndex& structures, Cursor& cursor,
                    bool lenient, std::string_view* recognised) {
  std::string_view name;
  if (!structureName(cursor, name, lenient)) return false;
  if (recognised) *recognised = name;
  beginEntry(page, config);
  structures.addEntry(page.pagePath, name);
  writeAnchorStart(page);
  writeEscaped(page, name, NameInAttribute);
  writeAnchorEnd(page);
  writeStructHead(page, name);

  Cursor scan = cursor;
  nextLine(scan);
  StructureField field;
  while (nextStructureField(scan, field)) writeStructRow(page, field);
  writeTableEnd(page);
  writeParagraphBreak(page);
  cursor = scan;
  return true;
}

}  // namespace pirvex

#include "page/heading.h"

#include "page/escape.h"
#include "page/fragments.h"

namespace pirvex {
namespace {

constexpr std::string_view ConfigTag = "@CONFIG-TAB:";

bool lineEnded(Cursor cursor) { return cursor.atEnd() || cursor.byte() == CR; }

}  // namespace

bool readConfigTab(ConfigTab& config, Cursor& cursor) {
  Cursor scan = docText(cursor);
  if (scan.remaining < ConfigTag.size() || !matchKeyword(scan, ConfigTag)) return false;
  scan.advance(static_cast<std::uint32_t>(ConfigTag.size()));
  config.configActive = false;
  std::string* words[] = {&config.configBackground, &config.configWidth, &config.configHeight};
  bool complete = true;
  for (std::string* word : words) {
    skipBlanks(scan);
    if (lineEnded(scan)) {
      complete = false;
      break;
    }
    std::uint32_t length = wordLength(scan);
    word->assign(scan.position, length);
    scan.advance(length);
  }
  config.configActive = complete;
  nextLine(cursor);
  return true;
}

void writeSeparator(Page& page, const ConfigTab& config) {
  writeRaw(page, config.configActive ? FragConfigClose : FragRule);
}

void writeConfigHead(Page& page, const ConfigTab& config, std::string_view name) {
  if (!config.configActive) return;
  writeRaw(page, FragConfigWidth);
  writeEscaped(page, config.configWidth, MarkupInAttribute);
  writeRaw(page, FragConfigHeight);
  writeEscaped(page, config.configHeight, MarkupInAttribute);
  writeRaw(page, FragConfigBackground);
  writeUpLevels(page);
  writeEscaped(page, config.configBackground, MarkupInAttribute);
  writeRaw(page, FragConfigTitle);
  writeEscaped(page, name, NameAsText);
  writeRaw(page, FragConfigBody);
}

void beginEntry(Page& page, const ConfigTab& config) {
  if (page.pageFile != platform::NoFile)
    writeSeparator(page, config);
  else
    openPage(page);
}

void writeEntryHeading(Page& page, const ConfigTab& config, EntryIndex& procedures,
                       std::string_view name) {
  beginEntry(page, config);
  writeConfigHead(page, config, name);
  procedures.addEntry(page.pagePath, name);
  writeAnchorStart(page);
  writeEscaped(page, name, NameInAttribute);
  writeAnchorEnd(page);
  writeBoldStart(page);
  writeEscaped(page, name, NameAsText);
  writeBoldEnd(page);
  writeParagraphBreak(page);
}

void writePrivateName(Page& page, std::string_view ownName) {
  writeEscaped(page, FragPrivateName);
  writeEscaped(page, ownName, NameAsText);
  writeParagraphBreak(page);
}

}  // namespace pirvex

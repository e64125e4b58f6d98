#include "page/heading.h"

#include <algorithm>
#include <string>

#include "index/index_files.h"
#include "page/escape.h"
#include "page/fragments.h"
#include "page/page_writer.h"

namespace pirvex {
namespace {

constexpr std::string_view ConfigTag = "@CONFIG-TAB:";

bool lineEnded(Cursor cursor) { return cursor.atEnd() || cursor.byte() == CR; }

}  // namespace

bool readConfigTab(RunState& run, Cursor& cursor) {
  Cursor scan = cursor;
  skipBlanks(scan);
  scan.advance(2);  // ";*", established by the caller
  skipBlanks(scan);
  if (scan.remaining < ConfigTag.size() || !matchKeyword(scan, ConfigTag)) return false;
  scan.advance(static_cast<std::uint32_t>(ConfigTag.size()));
  ConfigTab& config = run.config;
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

void writeSeparator(RunState& run) {
  writeRaw(run, run.config.configActive ? FragConfigClose : FragRule);
}

void writeUpLevels(const RunState& run, File file) {
  const std::string& path = run.context.pagePath;
  std::string_view untilZero(path.data(), std::min(path.size(), path.find('\0')));
  std::size_t levels = static_cast<std::size_t>(std::count_if(
      untilZero.begin(), untilZero.end(), [](char c) { return c == '/' || c == '\\'; }));
  if (levels == 0) return;
  std::string prefix;
  prefix.reserve(levels * FragUpLevel.size());
  for (std::size_t i = 0; i < levels; ++i) prefix += FragUpLevel;
  platform::writeBytes(file, prefix);
}

void writeConfigHead(RunState& run, std::string_view name) {
  const ConfigTab& config = run.config;
  if (!config.configActive) return;
  writeRaw(run, FragConfigWidth);
  writeRaw(run, config.configWidth);
  writeRaw(run, FragConfigHeight);
  writeRaw(run, config.configHeight);
  writeRaw(run, FragConfigBackground);
  writeUpLevels(run, run.context.pageFile);
  writeRaw(run, config.configBackground);
  writeRaw(run, FragConfigTitle);
  writeEscaped(run, name);
  writeRaw(run, FragConfigBody);
}

void beginEntry(RunState& run) {
  if (run.context.pageFile != NoFile)
    writeSeparator(run);
  else
    openPage(run);
}

void writeEntryHeading(RunState& run, std::string_view name) {
  beginEntry(run);
  writeConfigHead(run, name);
  addProcedureEntry(run, name);
  writeAnchorStart(run);
  writeEscaped(run, name);
  writeAnchorEnd(run);
  writeBoldStart(run);
  writeEscaped(run, name);
  writeBoldEnd(run);
  writeParagraphBreak(run);
}

}  // namespace pirvex

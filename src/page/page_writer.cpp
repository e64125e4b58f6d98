#include "page/page_writer.h"

#include <algorithm>

#include "page/escape.h"
#include "page/fragments.h"
#include "platform/text.h"

namespace pirvex {

void writeRaw(Page& page, std::string_view text) {
  if (page.pageFile == platform::NoFile || text.empty()) return;
  page.platform->writeText(page.pageFile, text);
  page.written += static_cast<std::uint32_t>(text.size());
}

std::string pageFileName(std::string_view pagePath) {
  std::string name(PageDirectory);
  name += pagePath;
  return name;
}

std::string upLevels(std::string_view pagePath) {
  std::string_view path = untilNul(pagePath);
  auto levels = static_cast<std::size_t>(
      std::count_if(path.begin(), path.end(), isPathSeparator));
  std::string prefix;
  prefix.reserve(levels * FragUpLevel.size());
  for (std::size_t i = 0; i < levels; ++i) prefix += FragUpLevel;
  return prefix;
}

void writeUpLevels(Page& page) { writeRaw(page, upLevels(page.pagePath)); }

void openPage(Page& page) {
  if (page.pageFile != platform::NoFile) return;
  page.pageFile = page.outputs->create(pageFileName(page.pagePath));
  page.written = 0;
  if (page.pageFile == platform::NoFile) return;
  writeRaw(page, FragHeadStart);
  writeEscaped(page, page.title, PathAsText);
  writeRaw(page, FragTitleSeparator);
  writeEscaped(page, page.sourcePath, PathAsText);
  writeRaw(page, FragHeadEnd);
}

void closePage(Page& page) {
  if (page.pageFile == platform::NoFile) return;
  writeRaw(page, FragFooter);
  page.outputs->close(page.pageFile, pageFileName(page.pagePath));
  page.pageFile = platform::NoFile;
}

void suspendPage(Page& page) {
  if (page.pageFile == platform::NoFile) return;
  page.outputs->close(page.pageFile, pageFileName(page.pagePath));
  page.pageFile = platform::NoFile;
  page.suspended = true;
}

void resumePage(Page& page) {
  if (!page.suspended) return;
  page.suspended = false;
  page.pageFile = page.outputs->reopen(pageFileName(page.pagePath), page.written);
}

void closeList(Page& page) {
  if (!page.listOpen) return;
  page.listOpen = false;
  writeRaw(page, FragListEnd);
  writeRaw(page, FragLineEnd);
}

void openList(Page& page) {
  writeRaw(page, FragListStart);
  writeRaw(page, FragLineEnd);
}

void writeItemMark(Page& page) {
  if (page.listOpen) writeRaw(page, FragItem);
}

void writeBreak(Page& page) {
  writeRaw(page, FragBreak);
  writeRaw(page, FragLineEnd);
}

void writeParagraphBreak(Page& page) {
  writeRaw(page, FragBreak);
  writeRaw(page, FragBreak);
  writeRaw(page, FragLineEnd);
}

void writeAnchorStart(Page& page) { writeRaw(page, FragAnchorStart); }

void writeAnchorEnd(Page& page) {
  writeRaw(page, FragAnchorEnd);
  writeRaw(page, FragLineEnd);
}

void writeBoldStart(Page& page) { writeRaw(page, FragBoldStart); }

void writeBoldEnd(Page& page) {
  writeRaw(page, FragBoldEnd);
  writeRaw(page, FragLineEnd);
}

void writeSourceLine(Page& page) {
  writeBreak(page);
  writeRaw(page, FragSourceLabel);
  writeEscaped(page, page.sourcePath, PathAsText);
  writeParagraphBreak(page);
}

void writeTableEnd(Page& page) { writeRaw(page, FragTableEnd); }

}  // namespace pirvex

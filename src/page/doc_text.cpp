#include "page/doc_text.h"

#include "page/escape.h"
#include "page/fragments.h"

namespace pirvex {
namespace {

void beginSectionList(Page& page) {
  closeList(page);
  page.listOpen = true;
}

}  // namespace

std::string_view renderDocLine(Page& page, Cursor cursor) {
  const std::string_view line = docLineText(cursor);
  std::string_view text = line;
  if (text.empty()) return line;
  if (startsWithAtSign(text)) {
    text.remove_prefix(1);
    if (text.empty()) return line;
    if (page.listOpen) {
      beginSectionList(page);
    } else {
      beginSectionList(page);
      openPage(page);
      writeParagraphBreak(page);
    }
    writeBoldStart(page);
    writeEscaped(page, text);
    writeBoldEnd(page);
    openList(page);
    return line;
  }
  openPage(page);
  writeItemMark(page);
  writeEscapedLine(page, text);
  return line;
}

void writeCommentText(Page& page, const std::vector<std::string_view>& lines) {
  writeRaw(page, FragPreStart);
  for (std::string_view line : lines) {
    writeEscaped(page, line, CommentText);
    writeRaw(page, FragLineEnd);
  }
  writeRaw(page, FragPreEnd);
  writeRaw(page, FragLineEnd);
}

}  // namespace pirvex

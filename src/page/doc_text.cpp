#include "page/doc_text.h"

#include "page/escape.h"
#include "page/page_writer.h"

namespace pirvex {
namespace {

void beginSectionList(RunState& run) {
  closeList(run);
  run.context.listOpen = true;
}

}  // namespace

void renderDocLine(RunState& run, Cursor cursor) {
  Cursor line(cursor.position, lineLength(cursor));
  skipBlanks(line);
  line.advance(2);  // ";*"
  skipBlanks(line);
  if (line.atEnd()) return;
  std::string_view text = trimTrailingBlanks(spanAt(line, line.remaining));
  if (startsWithAtSign(text)) {
    text.remove_prefix(1);
    if (text.empty()) return;
    if (run.context.listOpen) {
      beginSectionList(run);
    } else {
      beginSectionList(run);
      openPage(run);
      writeParagraphBreak(run);
    }
    writeBoldStart(run);
    writeEscaped(run, text);
    writeBoldEnd(run);
    openList(run);
    return;
  }
  openPage(run);
  writeItemMark(run);
  writeEscapedLine(run, text);
}

}  // namespace pirvex

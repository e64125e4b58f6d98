#include "page/page_writer.h"

#include "page/fragments.h"

namespace pirvex {

void writeRaw(RunState& run, std::string_view text) {
  if (run.context.pageFile != NoFile && !text.empty())
    platform::writeBytes(run.context.pageFile, text);
}

std::string pageFileName(std::string_view pagePath) {
  std::string name(PageDirectory);
  name += pagePath;
  return name;
}

void openPage(RunState& run) {
  SourceContext& context = run.context;
  if (context.pageFile != NoFile) return;
  context.pageFile = platform::createFileAnew(pageFileName(context.pagePath));
  if (context.pageFile == NoFile) return;
  writeRaw(run, FragHeadStart);
  writeRaw(run, run.baseName());
  writeRaw(run, FragTitleSeparator);
  writeRaw(run, context.sourcePath);
  writeRaw(run, FragHeadEnd);
}

void closePage(RunState& run) {
  if (run.context.pageFile == NoFile) return;
  writeRaw(run, FragFooter);
  platform::closeFile(run.context.pageFile);
  run.context.pageFile = NoFile;
}

void closeList(RunState& run) {
  if (!run.context.listOpen) return;
  run.context.listOpen = false;
  writeRaw(run, FragListEnd);
  writeRaw(run, FragLineEnd);
}

void openList(RunState& run) {
  writeRaw(run, FragListStart);
  writeRaw(run, FragLineEnd);
}

void writeItemMark(RunState& run) {
  if (run.context.listOpen) writeRaw(run, FragItem);
}

void writeBreak(RunState& run) {
  writeRaw(run, FragBreak);
  writeRaw(run, FragLineEnd);
}

void writeParagraphBreak(RunState& run) {
  writeRaw(run, FragBreak);
  writeRaw(run, FragBreak);
  writeRaw(run, FragLineEnd);
}

void writeAnchorStart(RunState& run) { writeRaw(run, FragAnchorStart); }

void writeAnchorEnd(RunState& run) {
  writeRaw(run, FragAnchorEnd);
  writeRaw(run, FragLineEnd);
}

void writeBoldStart(RunState& run) { writeRaw(run, FragBoldStart); }

void writeBoldEnd(RunState& run) {
  writeRaw(run, FragBoldEnd);
  writeRaw(run, FragLineEnd);
}

void writeSourceLine(RunState& run) {
  writeBreak(run);
  writeRaw(run, FragSourceLabel);
  writeRaw(run, run.context.sourcePath);
  writeParagraphBreak(run);
}

void writeTableEnd(RunState& run) { writeRaw(run, FragTableEnd); }

}  // namespace pirvex

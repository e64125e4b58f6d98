#include "driver/source_pass.h"

#include "page/doc_text.h"
#include "page/heading.h"
#include "page/page_writer.h"
#include "page/structure.h"
#include "scan/entries.h"

namespace pirvex {
namespace {

constexpr std::string_view CannotOpen = "Fehler : Quelldatei kann nicht geoeffnet werden\r\n";

// Reads the source into the context. False for an empty file or one that
// cannot be opened or sized; a buffer that cannot be had leaves nothing to
// walk, which is no failure.
bool readSource(RunState& run) {
  SourceContext& context = run.context;
  switch (readWholeFile(run.platform, context.page.sourcePath, platform::MemoryUse::SourceText,
                        context.source)) {
    case WholeFileRead::Empty:
      return false;
    case WholeFileRead::CannotOpen:
      run.platform.printMessage(context.page.sourcePath);
      run.platform.printMessage(CannotOpen);
      return false;
    case WholeFileRead::NoMemory:
    case WholeFileRead::Read:
      break;
  }
  return true;
}

// One documentation line; gives the Cursor of the line to examine next.
void handleDocLine(RunState& run, Cursor& cursor) {
  if (readConfigTab(run.config, cursor)) return;
  SourceContext& context = run.context;
  Page& page = context.page;
  std::string_view name;
  if (context.blockActive) {
    renderDocLine(page, cursor);
  } else if (skipNonPublicBlock(run.publicOnly, cursor)) {
    return;
  } else if (publicEntryName(cursor, name)) {
    writeEntryHeading(page, run.config, run.procedureIndex, name);
    std::string_view ownName;
    if (!run.publicOnly && findProcedureName(cursor, ownName)) writePrivateName(page, ownName);
    context.blockActive = true;
  } else {
    if (findProcedureName(cursor, name)) writeEntryHeading(page, run.config, run.procedureIndex, name);
    context.blockActive = true;
    renderDocLine(page, cursor);
  }
  nextLine(cursor);
}

void closeEntry(SourceContext& context) {
  closeList(context.page);
  writeSourceLine(context.page);
  context.blockActive = false;
}

void handleCodeLine(RunState& run, Cursor& cursor) {
  std::string_view name;
  if (run.context.blockActive) {
    closeEntry(run.context);
  } else if (!run.publicOnly && undocumentedProcedureName(cursor, name)) {
    writeEntryHeading(run.context.page, run.config, run.procedureIndex, name);
    closeEntry(run.context);
  }
  followInclude(run, cursor);
  writeStructure(run.context.page, run.config, run.structureIndex, cursor);
  nextLine(cursor);
}

}  // namespace

bool processSourceFile(RunState& run) {
  if (!readSource(run)) return false;
  Cursor cursor(run.context.source.text.bytes(), run.context.source.size);
  while (!cursor.atEnd()) {
    if (isDocLine(cursor))
      handleDocLine(run, cursor);
    else if (isPlainComment(cursor))
      nextLine(cursor);
    else if (!skipCommentDirective(cursor))
      handleCodeLine(run, cursor);
  }
  closeList(run.context.page);
  closePage(run.context.page);
  run.context.source.text.reset();
  return true;
}

}  // namespace pirvex

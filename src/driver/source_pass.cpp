#include "driver/source_pass.h"

#include "page/doc_text.h"
#include "page/heading.h"
#include "page/page_writer.h"
#include "page/structure.h"
#include "scan/entries.h"

namespace pirvex {
namespace {

constexpr std::string_view CannotOpen = "Fehler : Quelldatei kann nicht geoeffnet werden\r\n";

// Reads the source into the context's buffer. False for an empty file or
// one that cannot be opened or sized; a buffer that cannot be had leaves
// nothing to walk, which is no failure.
bool readSource(SourceContext& context) {
  std::uint32_t size = 0;
  bool sized = platform::fileSizeByName(context.sourcePath, size);
  if (sized && size == 0) return false;
  if (sized) context.sourceFile = platform::openForReading(context.sourcePath);
  if (context.sourceFile == NoFile) {
    platform::printMessage(context.sourcePath);
    platform::printMessage(CannotOpen);
    return false;
  }
  context.identityKnown = platform::fileIdentity(context.sourceFile, context.identity);
  context.sourceBuffer = MemoryBlock(size);
  context.sourceSize = context.sourceBuffer ? platform::readBytes(context.sourceFile,
                                                                  context.sourceBuffer.data(), size)
                                            : 0;
  platform::closeFile(context.sourceFile);
  context.sourceFile = NoFile;
  return true;
}

// One documentation line; gives the Cursor of the line to examine next.
void handleDocLine(RunState& run, Cursor& cursor) {
  if (readConfigTab(run, cursor)) return;
  SourceContext& context = run.context;
  if (context.blockActive) {
    renderDocLine(run, cursor);
  } else if (skipNonPublicBlock(run, cursor)) {
    return;
  } else if (writePublicEntry(run, cursor)) {
    context.blockActive = true;
  } else {
    writeDocumentedEntry(run, cursor);
    context.blockActive = true;
    renderDocLine(run, cursor);
  }
  nextLine(cursor);
}

void closeEntry(RunState& run) {
  closeList(run);
  writeSourceLine(run);
  run.context.blockActive = false;
}

void handleCodeLine(RunState& run, Cursor& cursor) {
  if (run.context.blockActive)
    closeEntry(run);
  else if (!run.publicOnly && writeUndocumentedEntry(run, cursor))
    closeEntry(run);
  followInclude(run, cursor);
  writeStructure(run, cursor);
  nextLine(cursor);
}

}  // namespace

bool processSourceFile(RunState& run) {
  if (!readSource(run.context)) return false;
  Cursor cursor(run.context.sourceBuffer.bytes(), run.context.sourceSize);
  while (!cursor.atEnd()) {
    if (isDocLine(cursor))
      handleDocLine(run, cursor);
    else if (isPlainComment(cursor))
      nextLine(cursor);
    else if (!skipCommentDirective(cursor))
      handleCodeLine(run, cursor);
  }
  closeList(run);
  closePage(run);
  run.context.sourceBuffer.reset();
  return true;
}

}  // namespace pirvex

#include "driver/source_pass.h"

#include "page/doc_text.h"
#include "page/fragments.h"
#include "page/heading.h"
#include "page/page_writer.h"
#include "page/structure.h"
#include "scan/comments.h"
#include "scan/entries.h"
#include "scan/structures.h"

namespace pirvex {
namespace {

constexpr std::string_view CannotOpen = "Fehler : Quelldatei kann nicht geoeffnet werden\r\n";

// For --check: the line of the source that holds `at`.
std::uint32_t lineOf(RunState& run, const char* at) { return run.context.lines.of(at); }

// The pass's step to the next line. For --check it tells the line numbers
// that it passed one line, so that they need not count it again.
void passLine(RunState& run, Cursor& cursor) {
  const char* from = cursor.position;
  nextLine(cursor);
  if (run.findings.on) run.context.lines.passed(from, cursor.position);
}

// An entry of an index, for --check, on the line at the Cursor.
void noteEntry(RunState& run, IndexKind kind, Cursor line) {
  if (run.findings.on)
    run.findings.entry(kind, run.context.checkedFile, lineOf(run, line.position));
}

// A documented entry's line is its procedure line below the block: it is
// told when the pass gets there, so that lines are counted once, in order.
void noteEntryBelow(RunState& run) {
  if (!run.findings.on) return;
  run.findings.entry(IndexKind::Procedure, run.context.checkedFile, 0);
  run.context.entryBelow = true;
}

void noteEntryReached(RunState& run, Cursor line) {
  if (!run.context.entryBelow) return;
  run.context.entryBelow = false;
  run.findings.entryLine(IndexKind::Procedure, lineOf(run, line.position));
}

// A block whose look-ahead found no procedure line has no heading: its
// lines stand under the entry before it. Above a structure that is what
// the author meant.
void noteBlockWithoutProcedure(RunState& run, Cursor block) {
  if (!run.findings.on) return;
  std::string_view structure;
  if (structureName(lineAfterBlock(block), structure, run.lenient)) return;
  run.findings.blockWithoutProcedure(run.context.checkedFile, lineOf(run, block.position));
}

// The text lines of a block below its "@see:" line name entries, for
// --check; the next section ends the list. `text` is the line's, as read.
void noteSeeAlso(RunState& run, Cursor line, std::string_view text) {
  if (!run.findings.on) return;
  SourceContext& context = run.context;
  if (startsWithAtSign(text)) {
    text.remove_prefix(1);
    if (!text.empty()) context.seeAlsoList = text == SeeAlsoTitle;
  } else if (context.seeAlsoList && !text.empty()) {
    run.findings.seeAlsoLine(text, context.checkedFile, context.checkedPage,
                             lineOf(run, line.position));
  }
}

// One documentation line; gives the Cursor of the line to examine next.
void handleDocLine(RunState& run, Cursor& cursor) {
  if (readConfigTab(run.config, cursor)) return;
  SourceContext& context = run.context;
  Page& page = context.page;
  std::string_view name;
  std::string_view text;
  if (context.blockActive) {
    text = renderDocLine(page, cursor);
  } else if (skipNonPublicBlock(run.publicOnly, cursor)) {
    return;
  } else if (publicEntryName(cursor, name)) {
    context.seeAlsoList = false;
    writeEntryHeading(page, run.config, run.procedureIndex, name);
    noteEntry(run, IndexKind::Procedure, cursor);
    std::string_view ownName;
    const bool named = findProcedureName(cursor, ownName, run.lenient, run.procedureMacros);
    if (!run.publicOnly && named) writePrivateName(page, ownName);
    if (run.site) run.site->procedure(name, run.publicOnly ? std::string_view() : ownName, ownName, cursor);
    context.blockActive = true;
    passLine(run, cursor);
    return;
  } else {
    context.seeAlsoList = false;
    if (findProcedureName(cursor, name, run.lenient, run.procedureMacros)) {
      writeEntryHeading(page, run.config, run.procedureIndex, name);
      noteEntryBelow(run);
      if (run.site) run.site->procedure(name, {}, name, cursor);
    } else {
      noteBlockWithoutProcedure(run, cursor);
    }
    context.blockActive = true;
    text = renderDocLine(page, cursor);
  }
  noteSeeAlso(run, cursor, text);
  if (run.site) run.site->docLine(cursor);
  passLine(run, cursor);
}

void closeEntry(SourceContext& context) {
  closeList(context.page);
  writeSourceLine(context.page);
  context.blockActive = false;
  context.seeAlsoList = false;
}

// Under --comments, the plain comments directly above a procedure line
// without a block document it; where there are none, the comment on the
// line itself.
void writeProcedureComment(RunState& run, Cursor line, std::string_view name) {
  std::vector<std::string_view>& lines = run.commentLines;
  if (!run.context.comments.above(lines) && !trailingComment(line, name, lines)) return;
  writeCommentText(run.context.page, lines);
  if (run.site) run.site->comment(lines);
}

bool isBlankLine(Cursor cursor) {
  skipBlanks(cursor);
  return cursor.atEnd() || cursor.byte() == CR;
}

// What a code line does before its include: it closes an open entry, or
// is an undocumented entry of its own.
void beginCodeLine(RunState& run, Cursor cursor) {
  std::string_view name;
  if (run.context.blockActive) {
    noteEntryReached(run, cursor);
    closeEntry(run.context);
  } else if (!run.publicOnly &&
             undocumentedProcedureName(cursor, name, run.lenient, run.procedureMacros)) {
    writeEntryHeading(run.context.page, run.config, run.procedureIndex, name);
    noteEntry(run, IndexKind::Procedure, cursor);
    if (run.site) run.site->procedure(name, {}, name, cursor);
    if (run.comments) writeProcedureComment(run, cursor, name);
    closeEntry(run.context);
  } else {
    return;
  }
  if (run.site) run.site->blockEnd(cursor);
}

// Where plain comments document procedures, the pass tells the comment
// block what each line is (a code line may be a blank one); otherwise it
// keeps nothing.
enum class LineKind { Comment, Code, Other };
void noteLine(RunState& run, Cursor line, LineKind kind) {
  if (!run.comments) return;
  CommentBlock& comments = run.context.comments;
  switch (kind) {
    case LineKind::Comment:
      comments.comment(line, line.position == run.context.source.text.bytes());
      break;
    case LineKind::Code:
      if (isBlankLine(line))
        comments.blank();
      else
        comments.other();
      break;
    case LineKind::Other:
      comments.other();
      break;
  }
}

// Whether the line is a documentation line; under --comments a banner row
// of decoration (";*****") is a plain comment line instead.
bool isDocumentation(const RunState& run, Cursor cursor) {
  return isDocLine(cursor) && !(run.comments && isDecorationLine(cursor));
}

bool isComment(const RunState& run, Cursor cursor) {
  return isPlainComment(cursor) || (run.comments && isDocLine(cursor));
}

// What a code line does after its include, if it had one: the structure
// test, then the next line.
void finishCodeLine(RunState& run, Cursor& cursor) {
  const Cursor line = cursor;
  std::string_view name;
  if (writeStructure(run.context.page, run.config, run.structureIndex, cursor, run.lenient,
                     &name)) {
    noteEntry(run, IndexKind::Structure, line);
    if (run.site) run.site->structure(name, line);
  }
  passLine(run, cursor);
}

void endOfText(RunState& run) {
  SourceContext& context = run.context;
  closeList(context.page);
  closePage(context.page);
  if (run.site && run.comments) run.site->fileComment(context.comments.endOfFile());
  if (run.site) run.site->endFile(context.source);
  context.source.text.reset();
  if (context.source.indexKnown) run.inWork.remove(context.source.index, context.page.sourcePath);
}

}  // namespace

bool readSource(RunState& run, platform::File opened) {
  SourceContext& context = run.context;
  const std::string_view path = context.page.sourcePath;
  const WholeFileRead read =
      opened != platform::NoFile
          ? readOpenFile(run.platform, opened, path, platform::MemoryUse::SourceText,
                         context.source, NoteIndex::Yes)
          : readWholeFile(run.platform, path, platform::MemoryUse::SourceText, context.source,
                          NoteIndex::Yes);
  switch (read) {
    case WholeFileRead::Empty:
      return false;
    case WholeFileRead::CannotOpen:
      reportCannotOpen(run, context.page.sourcePath);
      return false;
    case WholeFileRead::NoMemory:  // nothing to walk, which is no failure
    case WholeFileRead::Read:
      break;
  }
  if (context.source.indexKnown) {
    const std::uint64_t index = context.source.index;
    run.inWork.add(index, context.page.sourcePath);
    run.outputs.protect(index, context.page.sourcePath);
    if (run.lenient) run.documented.add(index, context.page.sourcePath);
    // A file no other includes: the main source or a module.
    if (!context.savedContext) run.roots.add(index, context.page.sourcePath);
  }
  context.lines = LineNumbers(context.source.text.bytes());
  context.checkedFile = run.findings.fileNumber(context.page.sourcePath);
  context.checkedPage = run.findings.pageNumber(context.page.pagePath);
  if (run.site)
    run.site->beginFile(context.page.sourcePath, context.page.pagePath, context.source.view());
  return true;
}

void reportCannotOpen(RunState& run, std::string_view name) {
  run.platform.printMessage(name);
  run.platform.printMessage(CannotOpen);
  run.findings.consoleLine();
}

bool processSourceFile(RunState& run, platform::File opened) {
  if (!readSource(run, opened)) return false;
  Cursor cursor(run.context.source.text.bytes(), run.context.source.size);
  // Included files are walked in this same loop: entering one makes it
  // current, and its end makes the including file current again, at the
  // line that included it.
  for (;;) {
    while (!cursor.atEnd()) {
      if (isDocumentation(run, cursor)) {
        noteLine(run, cursor, LineKind::Other);
        handleDocLine(run, cursor);
      } else if (isComment(run, cursor)) {
        noteLine(run, cursor, LineKind::Comment);
        passLine(run, cursor);
      } else if (!skipCommentDirective(cursor)) {
        beginCodeLine(run, cursor);
        noteLine(run, cursor, LineKind::Code);
        if (!enterInclude(run, cursor)) finishCodeLine(run, cursor);
      } else {
        noteLine(run, cursor, LineKind::Other);
      }
    }
    endOfText(run);
    if (!leaveInclude(run, cursor)) return true;
    finishCodeLine(run, cursor);
  }
}

}  // namespace pirvex

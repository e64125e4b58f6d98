// INCLUDE directives: each included file gets a pass and a page of its own,
// and the including file goes on afterwards exactly where it stood.
#include <new>

#include "driver/source_pass.h"

namespace pirvex {
namespace {

constexpr std::string_view BackLinks = "BackLinks";
constexpr std::string_view Recursive = "Fehler : Rekursives INCLUDE wird ignoriert\r\n";
constexpr std::uint32_t DirectiveLength = 8;  // "INCLUDE" and the byte after it

bool isIncludeDirective(Cursor cursor) {
  skipBlanks(cursor);
  if (cursor.remaining < DirectiveLength) return false;
  if (matchKeyword(cursor, "INCLUDELIB")) return false;
  return matchKeyword(cursor, "INCLUDE");
}

std::string_view includedName(Cursor cursor) {
  skipBlanks(cursor);
  cursor.advance(DirectiveLength);
  skipBlanks(cursor);
  if (!cursor.atEnd() && cursor.byte() == '"') {
    cursor.advance(1);
    skipBlanks(cursor);
  }
  std::uint32_t length = 0;
  while (length < cursor.remaining) {
    char c = cursor.position[length];
    if (c == ' ' || c == '\t' || c == CR || c == '"') break;
    ++length;
  }
  return spanAt(cursor, length);
}

// "." pairs climb out of the output directory no more: the first dot of a
// pair becomes BackLinks, every other dot "_".
std::string includedPagePath(std::string_view name) {
  std::string path;
  path.reserve(name.size() + 16);
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '.')
      path += name[i];
    else if (i + 1 < name.size() && name[i + 1] == '.')
      path += BackLinks;
    else
      path += '_';
  }
  path += ".HTM";
  return path;
}

// Whether the named file is one of those being processed: the current
// source or one that includes it.
bool alreadyInWork(const SourceContext& current, const std::string& name) {
  File file = platform::openForReading(name);
  if (file == NoFile) return false;
  platform::FileIdentity identity;
  bool known = platform::fileIdentity(file, identity);
  platform::closeFile(file);
  if (!known) return false;
  for (const SourceContext* context = &current; context; context = context->savedContext)
    if (context->identityKnown && context->identity == identity) return true;
  return false;
}

}  // namespace

void followInclude(RunState& run, Cursor cursor) {
  if (!isIncludeDirective(cursor)) return;
  std::string_view name = includedName(cursor);
  std::string sourcePath(name);
  if (alreadyInWork(run.context, sourcePath)) {
    platform::printMessage(sourcePath);
    platform::printMessage(Recursive);
    return;
  }

  run.context.savedCursor = cursor;
  MemoryBlock saved(sizeof(SourceContext));
  if (!saved) return;  // the include is passed over; the file goes on
  auto* including = new (saved.data()) SourceContext(std::move(run.context));

  run.context = SourceContext{};
  run.context.savedCursor = cursor;
  run.context.savedContext = including;
  run.context.sourcePath = std::move(sourcePath);
  run.context.pagePath = includedPagePath(name);

  processSourceFile(run);

  run.context = std::move(*including);
  including->~SourceContext();
}

}  // namespace pirvex

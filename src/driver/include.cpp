// INCLUDE directives: each included file gets a pass and a page of its own,
// and the including file goes on afterwards exactly where it stood.
#include <new>

#include "driver/source_pass.h"
#include "scan/includes.h"

namespace pirvex {
namespace {

constexpr std::string_view BackLinks = "BackLinks";
constexpr std::string_view Recursive = "Fehler : Rekursives INCLUDE wird ignoriert\r\n";

// Whether the named file is one of those being processed: the current
// source or one that includes it.
bool alreadyInWork(RunState& run, const std::string& name) {
  platform::File file = run.platform.openForReading(name);
  if (file == platform::NoFile) return false;
  platform::FileIdentity identity;
  bool known = run.platform.fileIdentity(file, identity);
  run.platform.closeFile(file);
  return known && run.inWork.count(identity) != 0;
}

// Puts the including file's state back, with the Cursor at its INCLUDE line.
void restoreIncluding(RunState& run, Cursor& cursor) {
  MemoryBlock block = std::move(run.context.savedContext);
  SourceContext* including = static_cast<SourceContext*>(block.data());
  run.context = std::move(*including);
  including->~SourceContext();
  cursor = run.context.savedCursor;
  resumePage(run.context.page);
}

}  // namespace

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

bool enterInclude(RunState& run, Cursor& cursor) {
  std::string_view name;
  if (!includeDirective(cursor, name)) return false;
  std::string sourcePath(name);
  if (alreadyInWork(run, sourcePath)) {
    run.platform.printMessage(sourcePath);
    run.platform.printMessage(Recursive);
    return false;
  }

  run.context.savedCursor = cursor;
  MemoryBlock saved(run.platform, sizeof(SourceContext), platform::MemoryUse::IncludeContext,
                    sourcePath);
  if (!saved) return false;  // the include is passed over; the file goes on
  suspendPage(run.context.page);
  new (saved.data()) SourceContext(std::move(run.context));

  run.context = run.freshContext(std::move(sourcePath), includedPagePath(name));
  run.context.savedContext = std::move(saved);
  if (!readSource(run)) {
    restoreIncluding(run, cursor);
    return false;
  }
  cursor = Cursor(run.context.source.text.bytes(), run.context.source.size);
  return true;
}

bool leaveInclude(RunState& run, Cursor& cursor) {
  if (!run.context.savedContext) return false;
  restoreIncluding(run, cursor);
  return true;
}

}  // namespace pirvex

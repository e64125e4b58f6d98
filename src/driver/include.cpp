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
  if (!known) return false;
  for (const SourceContext* context = &run.context; context; context = context->savedContext)
    if (context->source.identityKnown && context->source.identity == identity) return true;
  return false;
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

void followInclude(RunState& run, Cursor cursor) {
  std::string_view name;
  if (!includeDirective(cursor, name)) return;
  std::string sourcePath(name);
  if (alreadyInWork(run, sourcePath)) {
    run.platform.printMessage(sourcePath);
    run.platform.printMessage(Recursive);
    return;
  }

  run.context.savedCursor = cursor;
  MemoryBlock saved(run.platform, sizeof(SourceContext), platform::MemoryUse::IncludeContext,
                    sourcePath);
  if (!saved) return;  // the include is passed over; the file goes on
  auto* including = new (saved.data()) SourceContext(std::move(run.context));

  run.context = run.freshContext(std::move(sourcePath), includedPagePath(name));
  run.context.savedCursor = cursor;
  run.context.savedContext = including;

  (void)processSourceFile(run);  // an included file that gives nothing changes nothing here

  run.context = std::move(*including);
  including->~SourceContext();
}

}  // namespace pirvex

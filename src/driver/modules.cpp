// Modules (--module=PATTERN): more main sources in the same run, each
// assembled on its own, so that a program of many modules gets one set of
// pages, one index and one start page.
#include <string>
#include <vector>

#include "driver/source_pass.h"
#include "platform/module_patterns.h"

namespace pirvex {
namespace {

// Whether the open file has been documented already as the main source or
// a module, or, read as the assemblers read sources, in any way at all.
bool documentedAlready(RunState& run, platform::File file) {
  return run.roots.holds(run.platform, file) ||
         (run.lenient && run.documented.holds(run.platform, file));
}

// One module's pass, with a fresh context and no configured headings at its
// start; its page is named as an included file's would be.
void documentModule(RunState& run, const std::string& name) {
  const platform::File file = run.platform.openForReading(name);
  if (file == platform::NoFile) {
    reportCannotOpen(run, name);
    return;
  }
  if (documentedAlready(run, file)) {
    (void)run.platform.closeFile(file);
    return;
  }
  run.context = run.freshContext(name, includedPagePath(name));
  run.config = ConfigTab{};
  (void)processSourceFile(run, file);
}

}  // namespace

void documentModules(RunState& run, const std::vector<std::string_view>& patterns) {
  std::vector<std::string> names;
  for (std::string_view pattern : patterns) {
    if (!platform::expandModulePattern(run.platform, pattern, names)) {
      reportCannotOpen(run, pattern);
      continue;
    }
    for (const std::string& name : names) documentModule(run, name);
  }
}

}  // namespace pirvex

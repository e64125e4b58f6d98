// The state of one run of pirVex: the source file being processed and the
// values that hold for the whole run. A run starts from a fresh RunState and
// closes and releases everything it holds when it ends, so that one process
// can run the tool many times over.
#pragma once

#include <cstdint>
#include <string>

#include "index/index_files.h"
#include "index/index_table.h"
#include "page/heading.h"
#include "page/page_writer.h"
#include "platform/platform.h"
#include "platform/whole_file.h"
#include "scan/cursor.h"

namespace pirvex {

// The state of the source file being processed. Exactly one is current; an
// INCLUDE saves it whole around the included file's pass.
struct SourceContext {
  Page page;          // its page path, source path, page file and list state
  WholeFile source;   // the whole source text, and which file it is
  bool blockActive = false;
  SourceContext* savedContext = nullptr;  // the including file's state, if any
  Cursor savedCursor;                     // the INCLUDE line being followed
};

struct RunState {
  explicit RunState(platform::Platform& system)
      : platform(system),
        procedureIndex(system, ProcedureIndexName),
        structureIndex(system, StructureIndexName) {}
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;
  ~RunState() { platform.closeFile(context.page.pageFile); }

  platform::Platform& platform;
  std::string mainName;
  std::uint32_t baseNameLength = 0;
  bool publicOnly = false;
  std::string mainPagePath;

  SourceContext context;
  ConfigTab config;

  IndexFile procedureIndex;
  IndexFile structureIndex;
  IndexTable procedureTable;
  IndexTable structureTable;

  std::string_view baseName() const { return std::string_view(mainName).substr(0, baseNameLength); }

  // A context for the source `sourcePath` with its page at `pagePath`,
  // nothing open and nothing read yet.
  SourceContext freshContext(std::string sourcePath, std::string pagePath) const {
    SourceContext fresh;
    fresh.page.platform = &platform;
    fresh.page.title = baseName();
    fresh.page.sourcePath = std::move(sourcePath);
    fresh.page.pagePath = std::move(pagePath);
    return fresh;
  }
};

}  // namespace pirvex

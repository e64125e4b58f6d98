// The state of one run of pirVex: the source file being processed and the
// values that hold for the whole run. A run starts from a fresh RunState and
// closes and releases everything it holds when it ends, so that one process
// can run the tool many times over.
#pragma once

#include <cstdint>
#include <string>

#include "platform/memory_block.h"
#include "platform/platform.h"
#include "scan/cursor.h"

namespace pirvex {

using platform::File;
using platform::NoFile;

// The state of the source file being processed. Exactly one is current; an
// INCLUDE saves it whole around the included file's pass.
struct SourceContext {
  std::string pagePath;      // page below the output directory, "\" separated
  File pageFile = NoFile;    // open from the page's first write to the pass's end
  std::string sourcePath;    // as named; its size is the source path length
  File sourceFile = NoFile;  // open only while the source is read
  std::uint32_t sourceSize = 0;
  MemoryBlock sourceBuffer;  // the whole source text
  bool listOpen = false;
  bool blockActive = false;
  SourceContext* savedContext = nullptr;  // the including file's state, if any
  Cursor savedCursor;                     // the INCLUDE line being followed
  platform::FileIdentity identity;        // which file this is, to stop cycles
  bool identityKnown = false;
};

// Styled entry headings, switched by "@CONFIG-TAB:" lines for the rest of
// the run.
struct ConfigTab {
  bool configActive = false;
  std::string configBackground;
  std::string configWidth;
  std::string configHeight;
};

// One line of a sorted index file.
struct IndexRecord {
  std::uint32_t lineStart = 0;
  std::uint32_t lineSize = 0;
  std::uint32_t nameStart = 0;
};

// The sorted view of one index file, kept for the see-also pass.
struct IndexTable {
  MemoryBlock text;
  std::uint32_t textSize = 0;
  std::uint32_t count = 0;
  MemoryBlock recordBlock;

  const IndexRecord* records() const {
    return reinterpret_cast<const IndexRecord*>(recordBlock.data());
  }
  std::string_view line(const IndexRecord& record) const {
    return {text.bytes() + record.lineStart, record.lineSize};
  }
};

struct RunState {
  std::string mainName;
  std::uint32_t baseNameLength = 0;
  bool publicOnly = false;
  std::string mainPagePath;

  SourceContext context;
  ConfigTab config;

  File procedureIndexFile = NoFile;
  File structureIndexFile = NoFile;
  IndexTable procedureIndex;
  IndexTable structureIndex;

  MemoryBlock navigationCopyBuffer;
  File navigationPage = NoFile;
  File startPage = NoFile;

  RunState() = default;
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;
  ~RunState() {
    platform::closeFile(procedureIndexFile);
    platform::closeFile(structureIndexFile);
    platform::closeFile(navigationPage);
    platform::closeFile(startPage);
    platform::closeFile(context.pageFile);
  }

  std::string_view baseName() const { return std::string_view(mainName).substr(0, baseNameLength); }
};

}  // namespace pirvex

// The state of one run of pirVex: the source file being processed and the
// values that hold for the whole run. A run starts from a fresh RunState and
// closes and releases everything it holds when it ends, so that one process
// can run the tool many times over.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "driver/check.h"
#include "index/index_files.h"
#include "index/index_table.h"
#include "page/heading.h"
#include "page/page_writer.h"
#include "platform/known_files.h"
#include "platform/platform.h"
#include "platform/whole_file.h"
#include "scan/comments.h"
#include "scan/cursor.h"
#include "scan/line_numbers.h"
#include "site/model.h"

namespace pirvex {

// The state of the source file being processed. Exactly one is current; an
// INCLUDE saves it whole around the included file's pass, in a block of its
// own: the chain of saved contexts is the stack of includes, as deep as
// memory allows.
struct SourceContext {
  Page page;          // its page path, source path, page file and list state
  WholeFile source;   // the whole source text, and which file it is
  bool blockActive = false;
  CommentBlock comments;     // the plain comments met last, under --comments
  LineNumbers lines;         // the source's lines, for what --check reports
  std::uint32_t checkedFile = 0;  // the numbers --check names the source and its page by
  std::uint32_t checkedPage = 0;
  bool seeAlsoList = false;  // the block's text lines are a see-also list's
  bool entryBelow = false;   // the block's entry is told its line at its procedure line
  MemoryBlock savedContext;  // the including file's state, if any
  Cursor savedCursor;        // its INCLUDE line being followed, while it includes

  SourceContext() = default;
  SourceContext(SourceContext&&) = default;
  SourceContext& operator=(SourceContext&&) = default;
  // A run that ends inside an include chain ends every saved context too,
  // one after the other: a chain as deep as memory allows must not need as
  // deep a stack.
  ~SourceContext() {
    MemoryBlock next = std::move(savedContext);
    while (next) {
      auto* saved = static_cast<SourceContext*>(next.data());
      MemoryBlock after = std::move(saved->savedContext);
      saved->~SourceContext();
      next = std::move(after);
    }
  }
};

struct RunState {
  explicit RunState(platform::Platform& system)
      : platform(system),
        outputs(system),
        findings(system),
        procedureIndex(outputs, ProcedureIndexName),
        structureIndex(outputs, StructureIndexName) {}
  RunState(const RunState&) = delete;
  RunState& operator=(const RunState&) = delete;
  ~RunState() { (void)platform.closeFile(context.page.pageFile); }

  platform::Platform& platform;
  OutputFiles outputs;
  std::string mainName;
  std::uint32_t baseNameLength = 0;
  bool publicOnly = false;
  // Sources read as the assemblers read them (--lenient): tabs end words,
  // INCLUDE <name> and 'name', each file documented once.
  bool lenient = false;
  // Where an include not found as written is looked for next, after the
  // including file's directory.
  std::vector<std::string_view> includeDirectories;
  // Plain ";" comments document the procedures below them (--comments).
  bool comments = false;
  // First words of lines that declare a procedure through a macro.
  std::vector<std::string_view> procedureMacros;
  // The kept lines of a procedure's comments, from one procedure to the next.
  std::vector<std::string_view> commentLines;
  // What --check reports; it reports nothing without the option.
  Findings findings;
  std::string mainPagePath;
  // The entries for the HTML5 site (--html5), recorded during the pass;
  // none without the option.
  site::SiteModel* site = nullptr;

  SourceContext context;
  // The files of the current context and of every context that includes
  // it, by identity: an INCLUDE of one of them is a cycle.
  platform::KnownFiles inWork;
  // Under `lenient`, every file documented so far, by identity: each is
  // documented once per run.
  platform::KnownFiles documented;
  // The main source and every module documented so far, by identity: a
  // module that is one of them is passed over.
  platform::KnownFiles roots;
  ConfigTab config;

  IndexFile procedureIndex;
  IndexFile structureIndex;
  IndexTable procedureTable;
  IndexTable structureTable;

  std::string_view baseName() const { return std::string_view(mainName).substr(0, baseNameLength); }

  // A context for the source `sourcePath` with its page at `pagePath`,
  // nothing open and nothing read yet.
  SourceContext freshContext(std::string sourcePath, std::string pagePath) {
    SourceContext fresh;
    fresh.page.platform = &platform;
    fresh.page.outputs = &outputs;
    fresh.page.title = baseName();
    fresh.page.sourcePath = std::move(sourcePath);
    fresh.page.pagePath = std::move(pagePath);
    return fresh;
  }
};

}  // namespace pirvex

// What the HTML5 site is made from: every source file the pass read, with
// the entries recognised in it, recorded while the classic pages are
// written and rendered once the pass is over. The texts stay spans into the
// sources, whose buffers the model keeps until then.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/whole_file.h"
#include "scan/cursor.h"
#include "scan/structures.h"

namespace pirvex::site {

enum class EntryKind : std::uint8_t { Procedure, Structure };

struct SiteEntry {
  EntryKind kind = EntryKind::Procedure;
  std::string_view name;     // as the index lists it
  std::string_view ownName;  // a public entry's procedure name, if any
  std::uint32_t offset = 0;  // where its defining line begins in the source
  std::vector<std::string_view> docLines;  // text after ";*", trimmed
  // The plain comments that document it (--comments): kept lines, shown as
  // written.
  std::vector<std::string_view> commentLines;
  std::vector<StructureField> fields;
};

struct SiteFile {
  std::string sourcePath;  // as named
  std::string pagePath;    // the classic page's path below the output directory
  WholeFile source;
  std::int32_t parent = -1;  // the file that included it; -1 for the main source
  std::vector<SiteEntry> entries;
  std::vector<std::string_view> looseDoc;  // documentation lines of no entry
  // The comment its first lines hold (--comments), as kept.
  std::vector<std::string_view> fileComment;

  std::string_view text() const { return source.view(); }
};

class SiteModel {
 public:
  const std::vector<SiteFile>& files() const { return files_; }

  // A source was read and its pass begins; `source` is read whole.
  void beginFile(std::string_view sourcePath, std::string_view pagePath, std::string_view text);
  // Its pass is over: the model keeps the source's buffer.
  void endFile(WholeFile& source);

  // A procedure entry whose block (or 'name PROC' line) is at the Cursor;
  // `definingLine` is a span within the line that defines it, if known.
  void procedure(std::string_view name, std::string_view ownName, std::string_view definingLine,
                 Cursor at);
  // A documentation line of the current block.
  void docLine(Cursor line);
  // The code line at the Cursor ends the current block.
  void blockEnd(Cursor at);
  // A structure line at the Cursor, with its fields.
  void structure(std::string_view name, Cursor line);
  // The plain comments that document the procedure entry recorded last.
  void comment(const std::vector<std::string_view>& lines);
  // The current file's own comment.
  void fileComment(const std::vector<std::string_view>& lines);

  // First words of lines that declare a procedure through a macro: there
  // a procedure's body begins, as at 'name PROC'.
  std::vector<std::string_view> procedureMacros;

 private:
  SiteFile& current() { return files_[open_.back()]; }
  std::uint32_t offsetOf(const char* position) const {
    return static_cast<std::uint32_t>(position - textStarts_.back());
  }

  std::vector<SiteFile> files_;
  std::vector<std::size_t> open_;  // the include chain, innermost last
  std::vector<const char*> textStarts_;  // their texts, still the pass's
  void startBlock();
  void flushPending();

  // The block being collected: whether an entry owns it. The lines of a
  // block of no entry wait in `pending_`: a structure at the line that
  // ended the block takes them, otherwise they stay loose on the page.
  bool inBlock_ = false;
  bool blockHasEntry_ = false;
  const char* blockEnd_ = nullptr;
  std::size_t pendingFile_ = 0;
  std::vector<std::string_view> pending_;
};

}  // namespace pirvex::site

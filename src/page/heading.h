// The heading that opens every entry on a page, and the styled heading
// tables that "@CONFIG-TAB:" lines switch on.
#pragma once

#include <string>
#include <string_view>

#include "page/page_writer.h"
#include "scan/cursor.h"

namespace pirvex {

// Styled entry headings, switched by "@CONFIG-TAB:" lines for the rest of
// the run: neither saved nor cleared around an included file.
struct ConfigTab {
  bool configActive = false;
  std::string configBackground;  // each word with the space that ended it
  std::string configWidth;
  std::string configHeight;
};

// Where a heading lists its entry: the procedure index or the structure
// index.
class EntryIndex {
 public:
  // One line for the entry `name` on the page at `pagePath`.
  virtual void addEntry(std::string_view pagePath, std::string_view name) = 0;

 protected:
  ~EntryIndex() = default;
};

// Takes an "@CONFIG-TAB:" documentation line: reads its words into the
// ConfigTab, moves the Cursor to the next line and gives true. Any other
// line gives false and the Cursor stays.
[[nodiscard]] bool readConfigTab(ConfigTab& config, Cursor& cursor);

void writeSeparator(Page& page, const ConfigTab& config);
void writeConfigHead(Page& page, const ConfigTab& config, std::string_view name);

// Separator or page head, whichever the page needs before its next entry.
void beginEntry(Page& page, const ConfigTab& config);

// The heading of a procedure entry, with its line in `procedures`.
void writeEntryHeading(Page& page, const ConfigTab& config, EntryIndex& procedures,
                       std::string_view name);

// The line of a public entry that names the procedure behind it.
void writePrivateName(Page& page, std::string_view ownName);

}  // namespace pirvex

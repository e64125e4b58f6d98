// The plain ";" comments that authors write above their procedures, read
// as documentation: the lines of a block with their decoration dropped
// (";---", ";===", ";***" and the like) and their alignment kept. Only
// recognition: the kept texts are spans into the source; writing them is
// the page's and the site's.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "scan/cursor.h"

namespace pirvex {

// Whether the byte decorates a comment: rows of it frame or underline one.
bool isCommentDecoration(unsigned char c);

// Whether the documentation line at the Cursor holds nothing but
// decoration and blanks after its ";" (";*****", ";*", ";* * *"): a banner
// row, which is read as a plain comment line where plain comments document.
[[nodiscard]] bool isDecorationLine(Cursor cursor);

// What a comment keeps of the text after its ";": nothing where that text is
// decoration and blanks only; otherwise the text less a leading run of
// decoration and less its trailing blanks.
std::string_view keptCommentText(std::string_view afterSemicolon);

// A block's kept lines ready to be shown: empty lines dropped at its start
// and end, and the run of blanks that every non-empty line begins with
// removed from each. Empty when no line is left.
void finishCommentBlock(std::vector<std::string_view>& lines);

// The comment after the first ";" behind `name` on its procedure line, as a
// block of that one line; false where there is none or it keeps nothing.
[[nodiscard]] bool trailingComment(Cursor line, std::string_view name,
                                   std::vector<std::string_view>& lines);

// The run of plain comment lines that the pass has met last, and whether a
// procedure line met now stands directly below it: at most one blank line
// between. The pass tells it every line it meets.
class CommentBlock {
 public:
  // A plain comment line at the Cursor; `firstLine` when it is its file's
  // first line.
  void comment(Cursor line, bool firstLine);
  // An empty line, or one of blanks only.
  void blank();
  // Any other line: the block, if any, is over.
  void other();

  // The block directly above a procedure line met now, its lines finished;
  // false where there is none or it keeps no line. A block that begins on
  // its file's first line is the file's own comment, not a procedure's.
  [[nodiscard]] bool above(std::vector<std::string_view>& lines) const;

  // The file's own comment, once the block it is has ended; empty before.
  const std::vector<std::string_view>& fileComment() const { return fileComment_; }
  // The same at the end of the file: a block still open ends there.
  const std::vector<std::string_view>& endOfFile();

 private:
  void end();

  std::vector<std::string_view> lines_;  // kept texts, not yet finished
  bool open_ = false;
  bool firstLine_ = false;     // the open block began on the file's first line
  std::uint32_t blanks_ = 0;   // blank lines since its last comment line
  std::vector<std::string_view> fileComment_;
};

}  // namespace pirvex

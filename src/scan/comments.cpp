#include "scan/comments.h"

#include <algorithm>

namespace pirvex {
namespace {

constexpr std::string_view Decoration = ";-=*#~_+/!";

bool isDecorationOrBlank(char c) {
  return isBlank(static_cast<unsigned char>(c)) || isCommentDecoration(static_cast<unsigned char>(c));
}

// The text of the line after its first non-blank byte (its ";"), up to its
// CR.
std::string_view afterSemicolon(Cursor line) {
  skipBlanks(line);
  if (line.atEnd()) return {};
  line.advance(1);
  return spanAt(line, lineLength(line));
}

std::size_t leadingBlanks(std::string_view text) {
  std::size_t count = 0;
  while (count < text.size() && isBlank(static_cast<unsigned char>(text[count]))) ++count;
  return count;
}

}  // namespace

bool isCommentDecoration(unsigned char c) {
  return Decoration.find(static_cast<char>(c)) != std::string_view::npos;
}

bool isDecorationLine(Cursor cursor) {
  const std::string_view text = afterSemicolon(cursor);
  return std::all_of(text.begin(), text.end(), isDecorationOrBlank);
}

std::string_view keptCommentText(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), isDecorationOrBlank)) return {};
  std::size_t start = 0;
  while (isCommentDecoration(static_cast<unsigned char>(text[start]))) ++start;
  return trimTrailingBlanks(text.substr(start));
}

void finishCommentBlock(std::vector<std::string_view>& lines) {
  auto firstKept = std::find_if(lines.begin(), lines.end(),
                                [](std::string_view line) { return !line.empty(); });
  lines.erase(lines.begin(), firstKept);
  while (!lines.empty() && lines.back().empty()) lines.pop_back();
  if (lines.empty()) return;
  // The blanks that every non-empty line begins with, byte for byte.
  std::string_view common = lines.front().substr(0, leadingBlanks(lines.front()));
  for (std::string_view line : lines) {
    if (line.empty()) continue;
    std::size_t same = 0;
    while (same < common.size() && same < line.size() && line[same] == common[same]) ++same;
    common = common.substr(0, same);
  }
  for (std::string_view& line : lines)
    if (!line.empty()) line.remove_prefix(common.size());
}

bool trailingComment(Cursor line, std::string_view name, std::vector<std::string_view>& lines) {
  const std::string_view whole = spanAt(line, lineLength(line));
  const std::size_t nameEnd = static_cast<std::size_t>(name.data() + name.size() - whole.data());
  const std::size_t semicolon = whole.find(';', nameEnd);
  lines.clear();
  if (semicolon == std::string_view::npos) return false;
  lines.push_back(keptCommentText(whole.substr(semicolon + 1)));
  finishCommentBlock(lines);
  return !lines.empty();
}

void CommentBlock::comment(Cursor line, bool firstLine) {
  // A blank line ends a block: what follows it is a block of its own.
  if (!open_ || blanks_ > 0) {
    end();
    open_ = true;
    firstLine_ = firstLine;
  }
  blanks_ = 0;
  lines_.push_back(keptCommentText(afterSemicolon(line)));
}

void CommentBlock::blank() {
  if (open_) ++blanks_;
}

void CommentBlock::other() { end(); }

bool CommentBlock::above(std::vector<std::string_view>& lines) const {
  if (!open_ || firstLine_ || blanks_ > 1) return false;
  lines = lines_;
  finishCommentBlock(lines);
  return !lines.empty();
}

const std::vector<std::string_view>& CommentBlock::endOfFile() {
  end();
  return fileComment_;
}

void CommentBlock::end() {
  if (open_ && firstLine_) {
    fileComment_ = lines_;
    finishCommentBlock(fileComment_);
  }
  open_ = false;
  firstLine_ = false;
  blanks_ = 0;
  lines_.clear();
}

}  // namespace pirvex

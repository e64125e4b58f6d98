// Moving over an in-memory source text line by line, and the keyword and
// comment tests that every reader of sources and index files shares.
//
// Lines end with CR, optionally followed by one LF; an LF on its own is an
// ordinary byte. Blanks are space and tab only. Tests take a Cursor by value
// and leave the caller's unchanged; moves take it by reference.
#pragma once

#include <cstdint>
#include <string_view>

namespace pirvex {

struct Cursor {
  const char* position = nullptr;
  std::uint32_t remaining = 0;

  Cursor() = default;
  Cursor(const char* start, std::uint32_t count) : position(start), remaining(count) {}

  bool atEnd() const { return remaining == 0; }
  unsigned char byte(std::uint32_t offset = 0) const {
    return static_cast<unsigned char>(position[offset]);
  }
  void advance(std::uint32_t count) {
    position += count;
    remaining -= count;
  }
};

inline constexpr char CR = '\r';
inline constexpr char LF = '\n';

inline bool isBlank(unsigned char c) { return c == ' ' || c == '\t'; }

// Where the first word of a procedure or structure line ends: at a space,
// as the pages have always been made (a tab belongs to the word); read as
// the assemblers read sources (`lenient`), at a tab too.
inline bool endsWord(unsigned char c, bool lenient) { return c == ' ' || (lenient && c == '\t'); }

void skipBlanks(Cursor& cursor);
void nextLine(Cursor& cursor);
std::uint32_t lineLength(Cursor cursor);
std::string_view trimTrailingBlanks(std::string_view span);
bool matchKeyword(Cursor cursor, std::string_view keyword);
// Whether the keyword begins at any of the `count` positions from the
// Cursor; a match may reach past those positions, within the text.
bool containsKeyword(Cursor cursor, std::uint32_t count, std::string_view keyword);
inline bool startsWithAtSign(std::string_view span) { return !span.empty() && span.front() == '@'; }
bool isDocLine(Cursor cursor);
// The Cursor after the ";*" of a documentation line and the blanks around
// it; the caller has established that the line is one.
Cursor docText(Cursor cursor);
// The text of a documentation line: after ";*" and its blanks, up to its
// CR, trailing blanks trimmed.
std::string_view docLineText(Cursor cursor);
bool isPlainComment(Cursor cursor);
bool skipCommentDirective(Cursor& cursor);
std::uint32_t wordLength(Cursor cursor);

// The span of `length` bytes at the Cursor.
inline std::string_view spanAt(Cursor cursor, std::uint32_t length) {
  return {cursor.position, length};
}

}  // namespace pirvex

#include "driver/command_line.h"

#include "platform/text.h"
#include "scan/cursor.h"

namespace pirvex {
namespace {

bool isPublicOption(unsigned char letter) { return upperAscii(letter) == 'P'; }

// Steps to the next `delimiter`, or to the end of the text.
std::uint32_t lengthUpTo(Cursor cursor, char delimiter) {
  std::uint32_t length = 0;
  while (length < cursor.remaining && cursor.position[length] != delimiter) ++length;
  return length;
}

}  // namespace

bool parseCommandLine(std::string_view line, CommandLine& result) {
  line = untilNul(line);
  Cursor cursor(line.data(), static_cast<std::uint32_t>(line.size()));
  result = CommandLine{};

  skipBlanks(cursor);
  if (cursor.atEnd()) return false;
  // The program's own name.
  char delimiter = ' ';
  if (cursor.byte() == '"') {
    delimiter = '"';
    cursor.advance(1);
  }
  std::uint32_t programLength = lengthUpTo(cursor, delimiter);
  if (programLength == cursor.remaining) return false;
  cursor.advance(programLength + 1);

  // Options before the name.
  for (;;) {
    skipBlanks(cursor);
    if (cursor.atEnd()) return false;
    if (cursor.byte() != '-') break;
    cursor.advance(1);
    if (cursor.atEnd()) return false;
    if (isPublicOption(cursor.byte())) result.publicOnly = true;
    cursor.advance(1);
    if (cursor.atEnd()) return false;
  }

  // The name.
  delimiter = ' ';
  if (cursor.byte() == '"') {
    delimiter = '"';
    cursor.advance(1);
  }
  std::uint32_t nameLength = lengthUpTo(cursor, delimiter);
  result.name = spanAt(cursor, nameLength);
  cursor.advance(nameLength);
  if (!cursor.atEnd()) cursor.advance(1);

  // Options after the name; anything else ends the scan.
  for (;;) {
    skipBlanks(cursor);
    if (cursor.atEnd() || cursor.byte() != '-') break;
    cursor.advance(1);
    if (cursor.atEnd()) break;
    if (isPublicOption(cursor.byte())) result.publicOnly = true;
    cursor.advance(1);
  }

  std::size_t lastDot = result.name.rfind('.');
  result.afterLastDot = lastDot == std::string_view::npos ? 0 : lastDot + 1;
  return true;
}

}  // namespace pirvex

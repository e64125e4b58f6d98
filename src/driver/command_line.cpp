#include "driver/command_line.h"

#include "platform/text.h"
#include "scan/cursor.h"

namespace pirvex {
namespace {

constexpr std::string_view LongOptionMark = "--";

bool isPublicOption(unsigned char letter) { return upperAscii(letter) == 'P'; }

// Steps to the next `delimiter`, or to the end of the text.
std::uint32_t lengthUpTo(Cursor cursor, char delimiter) {
  std::uint32_t length = 0;
  while (length < cursor.remaining && cursor.position[length] != delimiter) ++length;
  return length;
}

// Whether a long option begins at the Cursor: "--" and a byte that is no
// blank, or all of it in double quotes, as shells on Windows pass a value
// with blanks. A lone "--" stays what it always was, an option letter "-".
bool atLongOption(Cursor cursor) {
  if (!cursor.atEnd() && cursor.byte() == '"') cursor.advance(1);
  if (cursor.remaining <= LongOptionMark.size() || !matchKeyword(cursor, LongOptionMark))
    return false;
  unsigned char next = cursor.byte(LongOptionMark.size());
  return !isBlank(next) && next != '"';
}

// The long option's word, "--" included: up to the next blank that stands
// outside double quotes. The Cursor moves past it.
std::string_view takeLongOption(Cursor& cursor) {
  std::uint32_t length = 0;
  bool quoted = false;
  while (length < cursor.remaining) {
    char c = cursor.position[length];
    if (c == '"') quoted = !quoted;
    if (!quoted && isBlank(static_cast<unsigned char>(c))) break;
    ++length;
  }
  std::string_view word = spanAt(cursor, length);
  cursor.advance(length);
  return word;
}

void noteUnknown(CommandLine& result, std::string_view given) {
  if (result.unknownOption.empty()) result.unknownOption = given;
}

// Drops the double quotes around a text.
std::string_view unquoted(std::string_view text) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    return text.substr(1, text.size() - 2);
  return text;
}

void applyLongOption(std::string_view word, CommandLine& result) {
  word = unquoted(word);
  std::size_t equals = word.find('=');
  std::string_view name = word.substr(0, equals);
  const bool hasValue = equals != std::string_view::npos;
  std::string_view value = hasValue ? unquoted(word.substr(equals + 1)) : std::string_view();

  // Options that take a value each time they are given, in order.
  std::vector<std::string_view>* values = name == "--include-dir"  ? &result.includeDirectories
                                          : name == "--module"     ? &result.modulePatterns
                                          : name == "--proc-macro" ? &result.procedureMacros
                                                                   : nullptr;
  if (values) {
    if (value.empty() || value.find('"') != std::string_view::npos)
      noteUnknown(result, word);
    else
      values->push_back(value);
    return;
  }
  if (name == "--encoding") {
    if (!site::encodingNamed(value, result.encoding)) noteUnknown(result, word);
    return;
  }
  bool* flag = name == "--help"      ? &result.help
               : name == "--version" ? &result.version
               : name == "--lenient" ? &result.lenient
               : name == "--html5"   ? &result.html5
               : name == "--comments" ? &result.comments
               : name == "--check"   ? &result.check
                                     : nullptr;
  if (flag == nullptr)
    noteUnknown(result, name);
  else if (hasValue)
    noteUnknown(result, word);
  else
    *flag = true;
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
    if (atLongOption(cursor)) {
      applyLongOption(takeLongOption(cursor), result);
      continue;
    }
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
    if (cursor.atEnd()) break;
    if (atLongOption(cursor)) {
      applyLongOption(takeLongOption(cursor), result);
      continue;
    }
    if (cursor.byte() != '-') break;
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

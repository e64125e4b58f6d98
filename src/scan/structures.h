// STRUC declarations: the structure line and the field lines up to ENDS.
// Only recognition: the words are spans into the source.
#pragma once

#include <string_view>

#include "scan/cursor.h"

namespace pirvex {

// One field line: its first words. A word runs to a space, a tab or the
// line's end.
struct StructureField {
  std::string_view name;      // first word
  std::string_view type;      // second word
  std::string_view value;     // third word: the initial value, or a DUP's repeat count
  bool repeated = false;      // the fourth word begins with DUP
  std::string_view argument;  // a DUP's argument, between "(" and ")" on the line
};

// For a line 'name STRUC': the name, without trailing blanks. The name ends
// at a space, or also at a tab when `lenient`.
[[nodiscard]] bool structureName(Cursor cursor, std::string_view& name, bool lenient = false);

// The next field of a structure from the Cursor on, passing over comment
// lines, empty lines and COMMENT blocks; the Cursor moves to the line after
// it. False at the line that holds ENDS (the Cursor stays there, after its
// blanks) or at the end of the text.
[[nodiscard]] bool nextStructureField(Cursor& cursor, StructureField& field);

// The words of the field line at the Cursor.
StructureField parseField(Cursor cursor);

// Cursor at a field's second word: whether its fourth word begins with DUP,
// and if so its repeat count and argument.
struct DupField {
  std::string_view count;
  std::string_view argument;
};
[[nodiscard]] bool parseDup(Cursor cursor, DupField& field);

}  // namespace pirvex

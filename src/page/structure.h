// STRUC declarations as tables of their fields.
#pragma once

#include <string_view>

#include "driver/run_state.h"

namespace pirvex {

struct DupField {
  std::string_view count;
  std::string_view argument;
};

// For a structure line, writes the structure and moves the Cursor to the
// line that ended it (or to the end of the text); otherwise leaves it.
void writeStructure(RunState& run, Cursor& cursor);
void writeStructHead(RunState& run, std::string_view name);
void writeStructRow(RunState& run, Cursor cursor);
// Cursor at a field's second word: whether its fourth word begins with DUP,
// and if so its repeat count and argument.
bool parseDup(Cursor cursor, DupField& field);

}  // namespace pirvex

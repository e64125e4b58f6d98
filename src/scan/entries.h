// Which procedures become entries on a page, and under which name:
// documented ones (a ";*" block above 'name PROC' or 'name:'), public ones
// ("@PUBLIC: name" as a block's first line) and undocumented ones.
#pragma once

#include <string_view>

#include "driver/run_state.h"

namespace pirvex {

bool isPublicLine(Cursor cursor);
// Under PublicOnly, passes over the documentation lines of a block up to its
// "@PUBLIC:" line; true with the Cursor where the passing-over stopped.
bool skipNonPublicBlock(const RunState& run, Cursor& cursor);
bool writePublicEntry(RunState& run, Cursor cursor);
void writeDocumentedEntry(RunState& run, Cursor cursor);
bool writeUndocumentedEntry(RunState& run, Cursor cursor);
// The procedure name of the first line after the block at the Cursor.
bool findProcedureName(Cursor cursor, std::string_view& name);

}  // namespace pirvex

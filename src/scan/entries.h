// Which procedures become entries, and under which name: documented ones
// (a ";*" block above 'name PROC' or 'name:'), public ones ("@PUBLIC: name"
// as a block's first line) and undocumented ones ('name PROC' alone). Only
// recognition: the names are spans into the source; writing the entries is
// the page's.
#pragma once

#include <span>
#include <string_view>

#include "scan/cursor.h"

namespace pirvex {

// Whether the documentation line at the Cursor is an "@PUBLIC:" line.
[[nodiscard]] bool isPublicLine(Cursor cursor);

// Under PublicOnly, passes over the documentation lines of a block up to its
// "@PUBLIC:" line; true with the Cursor where the passing-over stopped.
[[nodiscard]] bool skipNonPublicBlock(bool publicOnly, Cursor& cursor);

// For an "@PUBLIC:" line with a name after the tag: the name, the rest of
// the line without trailing blanks.
[[nodiscard]] bool publicEntryName(Cursor cursor, std::string_view& name);

// The first words that declare a procedure through a macro
// ('procedure NAME,NEAR', 'cProc NAME,<FAR>'), in any letter case.
using ProcedureMacros = std::span<const std::string_view>;

// For a line whose first word is one of `macros`, followed by blanks and a
// name that ends at a blank, a "," or the line's end: that name.
[[nodiscard]] bool macroProcedureName(Cursor cursor, ProcedureMacros macros,
                                      std::string_view& name);

// The first line after the block at the Cursor that is neither a
// documentation line nor a plain comment line (the end of the text where
// there is none): where a block's procedure line is looked for.
[[nodiscard]] Cursor lineAfterBlock(Cursor cursor);

// The procedure name of the first line after the block at the Cursor that
// is neither a documentation line nor a plain comment line: a macro's
// procedure, 'name PROC', or 'name:' with its colon. The name ends at a
// space, or also at a tab when `lenient`.
[[nodiscard]] bool findProcedureName(Cursor cursor, std::string_view& name, bool lenient = false,
                                     ProcedureMacros macros = {});

// The name of a code line that declares a procedure: a macro's, or
// 'name PROC'.
[[nodiscard]] bool undocumentedProcedureName(Cursor cursor, std::string_view& name,
                                             bool lenient = false, ProcedureMacros macros = {});

}  // namespace pirvex

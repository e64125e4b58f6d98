// Sorting an index file by entry name without regard to case.
#pragma once

#include <string_view>

#include "index/index_table.h"
#include "page/output_files.h"

namespace pirvex {

enum class IndexSort {
  Sorted,
  Absent,  // no file stands at the name, or it holds no byte
  Failed,  // the file is there but could not be read whole (memory, a failed open or read)
};

// Sorts the named index file, rewrites it under its name with "/" as the
// separator of its link parts, and keeps the sorted lines in `table`. Where
// it does not give Sorted, file and table are untouched.
[[nodiscard]] IndexSort sortIndex(OutputFiles& outputs, std::string_view fileName,
                                  IndexTable& table);

// Whether line key `a` sorts before `b`: byte by byte with a-z folded to
// A-Z; a key that is the beginning of a longer one sorts first.
[[nodiscard]] bool keyLess(std::string_view a, std::string_view b);

}  // namespace pirvex

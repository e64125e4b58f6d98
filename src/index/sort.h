// Sorting an index file by entry name without regard to case.
#pragma once

#include <string_view>

#include "driver/run_state.h"

namespace pirvex {

// Sorts the named index file, rewrites it under its name with "/" as the
// separator of its link parts, and keeps the sorted lines in `table`. False,
// with file and table untouched, when the file is missing or empty or
// memory is short.
bool sortIndex(std::string_view fileName, IndexTable& table);

}  // namespace pirvex

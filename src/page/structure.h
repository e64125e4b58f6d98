// STRUC declarations as tables of their fields.
#pragma once

#include <string_view>

#include "page/heading.h"
#include "page/page_writer.h"
#include "scan/cursor.h"
#include "scan/structures.h"

namespace pirvex {

// For a structure line, writes the structure with its line in `structures`
// and moves the Cursor to the line that ended it (or to the end of the
// text); otherwise writes nothing and leaves the Cursor.
void writeStructure(Page& page, const ConfigTab& config, EntryIndex& structures, Cursor& cursor,
                    bool lenient = false);
void writeStructHead(Page& page, std::string_view name);
void writeStructRow(Page& page, const StructureField& field);

}  // namespace pirvex

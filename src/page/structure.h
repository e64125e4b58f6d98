// STRUC declarations as tables of their fields.
#pragma once

#include <string_view>

#include "page/heading.h"
#include "page/page_writer.h"
#include "scan/cursor.h"
#include "scan/structures.h"

namespace pirvex {

// For a structure line, writes the structure with its line in `structures`,
// moves the Cursor to the line that ended it (or to the end of the text)
// and gives the structure's name in `name` where asked; otherwise writes
// nothing and leaves the Cursor. Whether the line was a structure line.
bool writeStructure(Page& page, const ConfigTab& config, EntryIndex& structures, Cursor& cursor,
                    bool lenient = false, std::string_view* name = nullptr);
void writeStructHead(Page& page, std::string_view name);
void writeStructRow(Page& page, const StructureField& field);

}  // namespace pirvex

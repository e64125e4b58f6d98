// Writing onto the page of one source file. The page is created by its
// first write and closed with its footer at the end of the source's pass;
// while no page is open, writes go nowhere.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "page/output_files.h"
#include "platform/memory_block.h"
#include "platform/platform.h"

namespace pirvex {

struct Page {
  platform::Platform* platform = nullptr;
  OutputFiles* outputs = nullptr;
  std::string_view title;   // the main source's base name, the same on every page
  std::string pagePath;     // below the output directory, "\" separated
  std::string sourcePath;   // the source as named
  platform::File pageFile = platform::NoFile;
  std::uint32_t written = 0;  // bytes written to the page so far
  bool suspended = false;     // closed while an included file is processed
  bool listOpen = false;
  ReusableBlock escapeScratch{};  // for text with something to escape
};

void writeRaw(Page& page, std::string_view text);
void openPage(Page& page);
void closePage(Page& page);
// An open page is closed while an included file is processed, so that an
// include chain holds one page open, not one per level, and taken up again
// where it stood afterwards.
void suspendPage(Page& page);
void resumePage(Page& page);
void closeList(Page& page);
void openList(Page& page);
void writeItemMark(Page& page);
void writeBreak(Page& page);
void writeParagraphBreak(Page& page);
void writeAnchorStart(Page& page);
void writeAnchorEnd(Page& page);
void writeBoldStart(Page& page);
void writeBoldEnd(Page& page);
void writeSourceLine(Page& page);
void writeTableEnd(Page& page);

// "pirVex\" followed by the page path: the page's file.
std::string pageFileName(std::string_view pagePath);

// One "../" for every separator of the page path, up to its zero byte: what
// leads from the page back to the output directory.
std::string upLevels(std::string_view pagePath);
// The same, onto the page.
void writeUpLevels(Page& page);

}  // namespace pirvex

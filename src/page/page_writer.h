// Writing onto the page of one source file. The page is created by its
// first write and closed with its footer at the end of the source's pass;
// while no page is open, writes go nowhere.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"

namespace pirvex {

struct Page {
  platform::Platform* platform = nullptr;
  std::string_view title;   // the main source's base name, the same on every page
  std::string pagePath;     // below the output directory, "\" separated
  std::string sourcePath;   // the source as named
  platform::File pageFile = platform::NoFile;
  bool listOpen = false;
};

void writeRaw(Page& page, std::string_view text);
void openPage(Page& page);
void closePage(Page& page);
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

// One "../" for every separator of the page path, up to its zero byte, to
// `file`: what leads from the page back to the output directory.
void writeUpLevels(platform::Platform& platform, platform::File file, std::string_view pagePath);

}  // namespace pirvex

#include "index/index_files.h"

#include "index/index_line.h"
#include "page/escape.h"
#include "page/fragments.h"
#include "platform/memory_block.h"
#include "platform/text.h"

namespace pirvex {
namespace {

constexpr std::uint32_t CopyChunk = 4096;
constexpr std::string_view TabInLink = "%09";
constexpr std::string_view ProcedureHeading = "Prozeduren:\r\n";
constexpr std::string_view StructureHeading = "Strukturen:\r\n";
constexpr std::string_view SectionStart = "<table cellpadding=\"5\"><tr><td>";
constexpr std::string_view SectionEnd = "<td></tr></table>";
constexpr std::string_view Frameset =
    "\r\n  </TITLE>\r\n </HEAD>\r\n <FRAMESET COLS=\"20%,*\" border=0 frameborder=0 "
    "framespacing=0>\r\n  <frame name=\"index\" src=\"ndx.htm\" scrolling=yes marginheight=5 "
    "marginwidth=5>\r\n  <frame name=\"main\" src=\"";
constexpr std::string_view FramesetEnd =
    "\" scrolling=yes marginheight=5 marginwidth=5>\r\n </frameset>\r\n</HTML>";
static_assert(Frameset.size() == 195 && FramesetEnd.size() == 68);

void copySection(platform::Platform& platform, platform::File page, const MemoryBlock& buffer,
                 const IndexFile& index, std::string_view heading) {
  if (index.file() == platform::NoFile) return;
  platform.writeText(page, heading);
  platform.writeText(page, SectionStart);
  if (buffer) {
    std::uint32_t offset = 0;
    for (;;) {
      std::uint32_t got = platform.readBytesAt(index.file(), offset, buffer.data(), CopyChunk);
      if (got == 0) break;
      platform.writeBytes(page, buffer.data(), got);
      offset += got;
    }
  }
  platform.writeText(page, SectionEnd);
}

}  // namespace

void IndexFile::addEntry(std::string_view pagePath, std::string_view name) {
  if (file_ == platform::NoFile) {
    file_ = outputs_.create(fileName_);
    if (file_ == platform::NoFile) return;
  }
  platform::Platform& platform = outputs_.platform();
  auto write = [&](std::string_view piece) { platform.writeText(file_, piece); };
  write(LinkStart);
  writeLinkPath(untilNul(pagePath), write);
  write(LinkNameMark);
  // A browser drops a tab from an address: in the link it is "%09", while
  // the anchor on the page keeps it.
  auto writeTarget = [&](std::string_view piece) {
    for (std::size_t tab = piece.find('\t'); tab != std::string_view::npos; tab = piece.find('\t')) {
      write(piece.substr(0, tab));
      write(TabInLink);
      piece.remove_prefix(tab + 1);
    }
    write(piece);
  };
  writeEscapedThrough(platform, name, MarkupInAttribute, writeTarget);
  write(LinkTarget);
  writeEscapedThrough(platform, name, MarkupAsText, write);
  write(LinkClose);
  write(LinkLineEnd);
}

void IndexFile::close() {
  outputs_.close(file_, fileName_);
  file_ = platform::NoFile;
}

void writeNavigationPage(OutputFiles& outputs, const IndexFile& procedures,
                         const IndexFile& structures) {
  platform::Platform& platform = outputs.platform();
  MemoryBlock buffer(platform, CopyChunk, platform::MemoryUse::NavigationCopy);
  platform::File page = outputs.create(NavigationPageName);
  copySection(platform, page, buffer, procedures, ProcedureHeading);
  copySection(platform, page, buffer, structures, StructureHeading);
  outputs.close(page, NavigationPageName);
}

void writeStartPage(OutputFiles& outputs, std::string_view title, std::string_view mainPagePath) {
  platform::File page = outputs.create(StartPageName);
  if (page == platform::NoFile) return;
  platform::Platform& platform = outputs.platform();
  auto write = [&](std::string_view piece) { platform.writeText(page, piece); };
  write(FragHeadStart);
  writeEscapedThrough(platform, title, MarkupAsText, write);
  write(Frameset);
  writeLinkPath(untilNul(mainPagePath), write);
  write(FramesetEnd);
  outputs.close(page, StartPageName);
}

}  // namespace pirvex

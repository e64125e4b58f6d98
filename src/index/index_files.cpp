#include "index/index_files.h"

#include <string>

namespace pirvex {
namespace {

constexpr std::string_view LinkStart = "<A HREF=\"";
constexpr std::string_view LinkTarget = "\" TARGET=\"main\">";
constexpr std::string_view LinkEnd = "</A><BR>\r\n";
constexpr std::uint32_t CopyChunk = 4096;

bool addEntry(RunState& run, File& indexFile, std::string_view fileName, std::string_view name) {
  if (indexFile == NoFile) {
    indexFile = platform::createFileAnew(std::string(fileName));
    if (indexFile == NoFile) return false;
  }
  const std::string& pagePath = run.context.pagePath;
  std::string_view path(pagePath.data(), std::min(pagePath.size(), pagePath.find('\0')));
  for (std::string_view piece :
       {LinkStart, path, std::string_view("#"), name, LinkTarget, name, LinkEnd})
    platform::writeBytes(indexFile, piece);
  return true;
}

void copySection(RunState& run, File indexFile, std::string_view heading) {
  if (indexFile == NoFile) return;
  File page = run.navigationPage;
  platform::writeBytes(page, heading);
  platform::writeBytes(page, "<table cellpadding=\"5\"><tr><td>");
  if (run.navigationCopyBuffer) {
    std::uint32_t offset = 0;
    for (;;) {
      std::uint32_t got =
          platform::readBytesAt(indexFile, offset, run.navigationCopyBuffer.data(), CopyChunk);
      if (got == 0) break;
      platform::writeBytes(page, run.navigationCopyBuffer.data(), got);
      offset += got;
    }
  }
  platform::writeBytes(page, "<td></tr></table>");
}

}  // namespace

bool addProcedureEntry(RunState& run, std::string_view name) {
  return addEntry(run, run.procedureIndexFile, ProcedureIndexName, name);
}

bool addStructureEntry(RunState& run, std::string_view name) {
  return addEntry(run, run.structureIndexFile, StructureIndexName, name);
}

void writeNavigationPage(RunState& run) {
  run.navigationCopyBuffer = MemoryBlock(CopyChunk);
  run.navigationPage = platform::createFileAnew(std::string(NavigationPageName));
  copySection(run, run.procedureIndexFile, "Prozeduren:\r\n");
  copySection(run, run.structureIndexFile, "Strukturen:\r\n");
}

bool writeStartPage(RunState& run, std::string_view mainPagePath) {
  run.startPage = platform::createFileAnew(std::string(StartPageName));
  if (run.startPage == NoFile) return false;
  std::string_view path = mainPagePath.substr(0, mainPagePath.find('\0'));
  for (std::string_view piece : {
           std::string_view("<HTML>\r\n <HEAD>\r\n  <TITLE>\r\n   "),
           run.baseName(),
           std::string_view("\r\n  </TITLE>\r\n </HEAD>\r\n <FRAMESET COLS=\"20%,*\" border=0 "
                            "frameborder=0 framespacing=0>\r\n  <frame name=\"index\" "
                            "src=\"ndx.htm\" scrolling=yes marginheight=5 marginwidth=5>\r\n  "
                            "<frame name=\"main\" src=\""),
           path,
           std::string_view(
               "\" scrolling=yes marginheight=5 marginwidth=5>\r\n </frameset>\r\n</HTML>"),
       })
    platform::writeBytes(run.startPage, piece);
  return true;
}

}  // namespace pirvex

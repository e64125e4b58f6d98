// Every fixed piece of HTML that goes onto a source page. The see-also pass
// reads pages back: it finds their see-also sections by the fragments that
// render one, and takes a page that begins with "<htm" as done.
#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <string_view>

namespace pirvex {

inline constexpr std::string_view FragHeadStart = "<HTML>\r\n <HEAD>\r\n  <TITLE>\r\n   ";
inline constexpr std::string_view FragTitleSeparator = ": ";
inline constexpr std::string_view FragHeadEnd =
    "\r\n  </TITLE>\r\n </HEAD>\r\n <BODY>\r\n  <FONT SIZE=\"2\" FACE=\"VERDANA, ARIAL\">\r\n";
inline constexpr std::string_view FragFooter = "  </FONT>\r\n </BODY>\r\n</HTML>";
inline constexpr std::string_view FragLineEnd = "\r\n";
inline constexpr std::string_view FragListStart = "<UL>";
inline constexpr std::string_view FragListEnd = "</UL>";
inline constexpr std::string_view FragItem = "<LI>";
inline constexpr std::string_view FragBreak = "<BR>";
inline constexpr std::string_view FragBoldStart = "<B>";
inline constexpr std::string_view FragBoldEnd = "</B>";
inline constexpr std::string_view FragAnchorStart = "<A NAME=\"";
inline constexpr std::string_view FragAnchorEnd = "\"></A>";
inline constexpr std::string_view FragRule = "<HR>\r\n";
inline constexpr std::string_view FragSourceLabel = "Quelle: ";
inline constexpr std::string_view FragTableEnd = "</table>\r\n";
inline constexpr std::string_view FragStructHead =
    "<table border=\"1\">\r\n <tr><th colspan=\"3\">";
inline constexpr std::string_view FragStructCaptionEnd = "</th></tr>\r\n";
inline constexpr std::string_view FragRowStart = "<tr><td>";
inline constexpr std::string_view FragCellSeparator = "</td><td>";
inline constexpr std::string_view FragDupMark = "*";
inline constexpr std::string_view FragRowEnd = "</td></tr>";
inline constexpr std::string_view FragConfigWidth = "<table width=\"";
inline constexpr std::string_view FragConfigHeight = "\" border=\"1\"><tr><th height=\"";
inline constexpr std::string_view FragConfigBackground =
    "\" align=centre valign=\"bottom\" background=\"";
inline constexpr std::string_view FragConfigTitle =
    "\"><font color=\"#000000\" size=\"2\"><div style=\"position:relative; top:3px;\" "
    "align=\"bottom\">";
inline constexpr std::string_view FragConfigBody =
    "</div></font></tr><tr><td><table width=\"100%\" border=\"0\" BGCOLOR=\"#FFFFCC\"><tr><td "
    "colspan=\"2\">";
inline constexpr std::string_view FragConfigClose = "</tr></table></tr></table><BR>";
inline constexpr std::string_view FragUpLevel = "../";  // once per directory level
inline constexpr std::string_view FragPrivateName = "Private Name: ";
// Around the plain comments that document a procedure: their lines as the
// author aligned them.
inline constexpr std::string_view FragPreStart = "<PRE>";
inline constexpr std::string_view FragPreEnd = "</PRE>";

// The output directory as page names spell it.
inline constexpr std::string_view PageDirectory = "pirVex\\";

// Every page begins with PageMark; the see-also pass puts RewrittenMark
// over a page it has rewritten.
inline constexpr std::string_view PageMark = FragHeadStart.substr(0, 6);
inline constexpr std::string_view RewrittenMark = "<html>";

// The text of a section heading whose names become links.
inline constexpr std::string_view SeeAlsoTitle = "see:";

constexpr std::size_t joinedSize(std::span<const std::string_view> parts) {
  std::size_t size = 0;
  for (std::string_view part : parts) size += part.size();
  return size;
}

template <std::size_t Size>
constexpr std::array<char, Size> joined(std::span<const std::string_view> parts) {
  std::array<char, Size> bytes{};
  std::size_t at = 0;
  for (std::string_view part : parts)
    for (char c : part) bytes[at++] = c;
  return bytes;
}

// A see-also section as the documentation text puts it on the page: its
// bold heading, the list it opens and the mark of its first item.
inline constexpr std::string_view SeeAlsoParts[] = {
    FragBoldStart, SeeAlsoTitle, FragBoldEnd, FragLineEnd, FragListStart, FragLineEnd, FragItem};
inline constexpr auto SeeAlsoBytes = joined<joinedSize(SeeAlsoParts)>(SeeAlsoParts);
inline constexpr std::string_view SeeAlsoPattern(SeeAlsoBytes.data(), SeeAlsoBytes.size());

static_assert(FragHeadStart.size() == 31 && FragHeadEnd.size() == 74 && FragFooter.size() == 28);
static_assert(FragAnchorStart.size() == 9 && FragAnchorEnd.size() == 6);
static_assert(FragStructHead.size() == 41 && FragConfigWidth.size() == 14);
static_assert(FragConfigHeight.size() == 29 && FragConfigBackground.size() == 43);
static_assert(FragConfigTitle.size() == 89 && FragConfigBody.size() == 95);
static_assert(FragConfigClose.size() == 30 && FragPrivateName.size() == 14);
static_assert(SeeAlsoPattern == "<B>see:</B>\r\n<UL>\r\n<LI>");
static_assert(PageMark == "<HTML>" && RewrittenMark.size() == PageMark.size());

}  // namespace pirvex

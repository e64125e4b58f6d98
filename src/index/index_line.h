// The index line: one link per entry in the procedure and structure index
// files,
//   LinkStart, page path, LinkNameMark, name, LinkTarget, name, LinkClose, LinkLineEnd.
// Sorting reads the lines back (the name follows the line's first ">"),
// the see-also pass takes the opening tag as the link it writes, and the
// navigation page copies the lines whole.
#pragma once

#include <string_view>

namespace pirvex {

inline constexpr std::string_view LinkStart = "<A HREF=\"";
inline constexpr std::string_view LinkNameMark = "#";
inline constexpr std::string_view LinkTarget = "\" TARGET=\"main\">";
inline constexpr std::string_view LinkClose = "</A>";
inline constexpr std::string_view LinkLineEnd = "<BR>\r\n";

// Where the page path of a line begins and ends: after the line's first
// double quote, up to the "#" after it.
inline constexpr char LinkPathStart = '"';
inline constexpr char LinkPathEnd = '#';
// The byte that closes the opening tag: the name follows the first one.
inline constexpr char LinkTagEnd = '>';
// The byte that ends the name after the tag.
inline constexpr char LinkNameEnd = '<';

static_assert(LinkStart.back() == LinkPathStart && LinkNameMark.front() == LinkPathEnd);
static_assert(LinkTarget.back() == LinkTagEnd && LinkClose.front() == LinkNameEnd);
static_assert(LinkStart.size() + LinkNameMark.size() + LinkTarget.size() + LinkClose.size() +
                  LinkLineEnd.size() ==
              36);

}  // namespace pirvex

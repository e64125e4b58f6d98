// Text onto pages and index lines in the form its place needs. German
// umlauts and the sharp s of code page 437 and of ISO 8859-1 become HTML
// entities on pages (the pages declare no character set); a name keeps "<"
// and ">" from becoming markup, and one inside an attribute value its
// double quote from ending the value. Documentation text is HTML by
// design: its markup takes effect on the page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "page/page_writer.h"
#include "platform/platform.h"

namespace pirvex {

enum class Markup {
  Kept,       // documentation text
  Text,       // "<" and ">" become "&lt;" and "&gt;"
  Attribute,  // and '"' becomes "&quot;"
  Plain,      // "&", "<" and ">" become entities: text that is no HTML at all
};

struct Escape {
  bool umlauts = true;
  Markup markup = Markup::Kept;
};

inline constexpr Escape DocumentationText{true, Markup::Kept};
inline constexpr Escape NameAsText{true, Markup::Text};
inline constexpr Escape NameInAttribute{true, Markup::Attribute};
// Index lines, structure captions and configuration words keep their
// umlaut bytes as they are; only their markup is escaped.
inline constexpr Escape MarkupAsText{false, Markup::Text};
inline constexpr Escape MarkupInAttribute{false, Markup::Attribute};
// A file's path written as text (a title, the "Quelle: " line).
inline constexpr Escape PathAsText = MarkupAsText;
// The comments authors wrote in plain ";" lines: text, with its umlauts.
inline constexpr Escape CommentText{true, Markup::Plain};

std::uint32_t countUmlauts(std::string_view text);
// Copies the text into `buffer`, which holds text.size() + 6 * countUmlauts
// bytes, with every umlaut code replaced; the count of bytes written.
std::size_t escapeUmlauts(std::string_view text, char* buffer);

// Hands the text, escaped as `how` says, to `write`: in one piece, from a
// scratch block, where anything needs escaping. Without a scratch block the
// umlauts stay as they are, but markup is still escaped, piece by piece:
// nothing ever breaks out of its place.
// A `kept` block serves from one text to the next.
void writeEscapedThrough(platform::Platform& platform, std::string_view text, Escape how,
                         const std::function<void(std::string_view)>& write,
                         ReusableBlock* kept = nullptr);

// A page path in a link target (an index line's address, the start page's
// frame): the bytes that would end the attribute, begin a fragment or a
// query, begin an escape, or that a browser drops from an address (control
// bytes, '"', '#', '%', '<', '>', '?') as "%" and two upper-case hex
// digits; every other byte, the blank and bytes from 0x80 up included,
// stays as it is. Handed to `write` in pieces.
void writeLinkPath(std::string_view path, const std::function<void(std::string_view)>& write);
// The page path that a link target names: exactly those escapes decoded,
// any other "%" left as it stands.
std::string linkPathDecoded(std::string_view target);

// Onto the page, escaped as `how` says.
void writeEscaped(Page& page, std::string_view text, Escape how = DocumentationText);
// Documentation text, then CR LF.
void writeEscapedLine(Page& page, std::string_view text);

}  // namespace pirvex

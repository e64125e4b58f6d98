// Text for the HTML5 site: source bytes in whichever character set they
// were written, turned into UTF-8; text and attribute escaping; fragment
// ids and link targets that stay valid and URL-safe whatever a name holds.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pirvex::site {

// How the bytes of a source are read. `Automatic`: as UTF-8 where the
// whole file is valid UTF-8, otherwise as code page 437, the DOS editors'
// set most assembly sources were written in.
enum class Encoding { Automatic, Cp437, Latin1, Utf8 };

// The encoding named by an --encoding value; false for an unknown one.
[[nodiscard]] bool encodingNamed(std::string_view name, Encoding& encoding);

[[nodiscard]] bool isValidUtf8(std::string_view bytes);

// What `Automatic` means for these bytes; any other choice stays.
Encoding settle(Encoding chosen, std::string_view bytes);

// The bytes as UTF-8 text fit for a page: control characters other than
// tab and line ends become their visible pictures (U+2400 on), and what
// cannot stand in a page becomes U+FFFD.
void appendDecoded(std::string& out, std::string_view bytes, Encoding encoding);
std::string decoded(std::string_view bytes, Encoding encoding);

// The bytes, read in `encoding` (settled already), as UTF-8 text with "&",
// "<" and ">" as entities: appendDecoded and appendEscaped in one step.
void appendText(std::string& out, std::string_view bytes, Encoding encoding);

// Documentation text as appendText gives it, except that a few inline
// elements without attributes (<b>, <i>, <code>, <br> and the like) and
// well-formed character references stay markup; an element still open at
// the end of the text is closed there, a stray end tag shown as written.
void appendDocText(std::string& out, std::string_view bytes, Encoding encoding);

// The words of documentation lines as a search finds them: markup and a
// section's "@" left out, each word once (letters compared without regard
// to ASCII case, the first spelling kept), in the order they first stand,
// one blank between them. Bytes as in the source, not decoded.
class SearchWords {
 public:
  void collect(const std::vector<std::string_view>& lines, std::string& out);

 private:
  std::vector<std::string_view> words_;  // into the lines, or into joined_
  std::string joined_;                   // words that a tag split, put together
  std::vector<std::uint32_t> slots_;     // word index + 1; 0 is free
};

// A number in decimal.
void appendNumber(std::string& out, std::uint32_t number);

// "&", "<" and ">" as entities; in attribute values '"' too.
void appendEscaped(std::string& out, std::string_view text);
void appendAttribute(std::string& out, std::string_view text);

// A fragment id for a name: ASCII letters, digits and "_" stay, every other
// byte of its UTF-8 becomes "." and two hex digits, so that ids differ when
// names do and need no escaping in a link.
std::string fragmentId(std::string_view name);

// A path for a link: bytes outside the URL's unreserved set become "%HH";
// "/" stays.
void appendUrlPath(std::string& out, std::string_view path);

// A JavaScript string literal, quotes included.
void appendJsonString(std::string& out, std::string_view text);

}  // namespace pirvex::site

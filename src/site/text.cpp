#include "site/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "platform/text.h"

namespace pirvex::site {
namespace {

// Code page 437, bytes 0x80 to 0xFF.
constexpr char16_t Cp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7,
    0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE, 0x00EC, 0x00C4, 0x00C5,
    0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192,
    0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA, 0x00BA,
    0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556,
    0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510,
    0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567,
    0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B,
    0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229,
    0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

constexpr char32_t Replacement = 0xFFFD;
constexpr char32_t ControlPictures = 0x2400;  // U+2400 + byte; DEL at U+2421
constexpr char Hex[] = "0123456789ABCDEF";

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// A character as a page may hold it: controls shown as pictures, C1
// controls and noncharacters replaced.
char32_t fitForPage(char32_t c) {
  if (c == '\t' || c == '\n' || c == '\r') return c;
  if (c < 0x20) return ControlPictures + c;
  if (c == 0x7F) return ControlPictures + 0x21;
  if (c >= 0x80 && c < 0xA0) return Replacement;
  if ((c >= 0xFDD0 && c <= 0xFDEF) || (c & 0xFFFE) == 0xFFFE) return Replacement;
  return c;
}

// The code point of the UTF-8 sequence at `at`, and its length; 0 for a
// byte that begins no valid sequence (overlong forms and surrogates too).
std::size_t utf8Sequence(std::string_view bytes, std::size_t at, char32_t& c) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
  const unsigned char first = byte(at);
  if (first < 0x80) {
    c = first;
    return 1;
  }
  std::size_t length = 0;
  char32_t minimum = 0;
  if ((first & 0xE0) == 0xC0) {
    length = 2, c = first & 0x1F, minimum = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3, c = first & 0x0F, minimum = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4, c = first & 0x07, minimum = 0x10000;
  } else {
    return 0;
  }
  if (bytes.size() - at < length) return 0;
  for (std::size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    c = (c << 6) | (byte(at + i) & 0x3F);
  }
  if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  return length;
}

}  // namespace

bool encodingNamed(std::string_view name, Encoding& encoding) {
  if (name == "cp437") {
    encoding = Encoding::Cp437;
  } else if (name == "latin1") {
    encoding = Encoding::Latin1;
  } else if (name == "utf8") {
    encoding = Encoding::Utf8;
  } else {
    return false;
  }
  return true;
}

bool isValidUtf8(std::string_view bytes) {
  char32_t c = 0;
  for (std::size_t at = 0; at < bytes.size();) {
    const std::size_t length = utf8Sequence(bytes, at, c);
    if (length == 0) return false;
    at += length;
  }
  return true;
}

Encoding settle(Encoding chosen, std::string_view bytes) {
  if (chosen != Encoding::Automatic) return chosen;
  return isValidUtf8(bytes) ? Encoding::Utf8 : Encoding::Cp437;
}

namespace {

// Bytes that stand in a page as they are: printable ASCII, and tab; with
// `escaping`, not the three that markup needs. One table for both: bit 0
// plain, bit 1 plain where escaping.
constexpr std::array<unsigned char, 256> PlainBytes = [] {
  std::array<unsigned char, 256> table{};
  for (int byte = 0x20; byte < 0x7F; ++byte)
    table[byte] = (byte == '&' || byte == '<' || byte == '>') ? 1 : 3;
  table['\t'] = 3;
  return table;
}();

bool isPlain(unsigned char byte, bool escaping) {
  return (PlainBytes[byte] & (escaping ? 2 : 1)) != 0;
}

void appendConverted(std::string& out, std::string_view bytes, Encoding encoding, bool escaping) {
  for (std::size_t at = 0; at < bytes.size();) {
    std::size_t run = at;
    while (run < bytes.size() && isPlain(static_cast<unsigned char>(bytes[run]), escaping)) ++run;
    out.append(bytes.data() + at, run - at);
    at = run;
    if (at == bytes.size()) break;
    const auto first = static_cast<unsigned char>(bytes[at]);
    if (escaping && (first == '&' || first == '<' || first == '>')) {
      out += first == '&' ? "&amp;" : first == '<' ? "&lt;" : "&gt;";
      ++at;
      continue;
    }
    char32_t c = first;
    std::size_t length = 1;
    if (first >= 0x80) {
      if (encoding == Encoding::Cp437) {
        c = Cp437High[first - 0x80];
      } else if (encoding == Encoding::Utf8) {
        length = utf8Sequence(bytes, at, c);
        if (length == 0) c = Replacement, length = 1;
      }
    }
    appendUtf8(out, fitForPage(c));
    at += length;
  }
}

}  // namespace

void appendDecoded(std::string& out, std::string_view bytes, Encoding encoding) {
  appendConverted(out, bytes, settle(encoding, bytes), false);
}

void appendText(std::string& out, std::string_view bytes, Encoding encoding) {
  appendConverted(out, bytes, encoding, true);
}

namespace {

std::uint64_t load64(const char* bytes) {
  std::uint64_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

std::uint32_t load32(const char* bytes) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// A word's bytes taken as whole loads, which overlap for a short word:
// its first and last eight (four) bytes, or its first, middle and last
// byte. Letters are folded to one case (and some other bytes with them,
// which only makes a few more words meet in one slot); equal words are
// still compared whole.
std::uint32_t foldedWordHash(std::string_view word) {
  constexpr std::uint64_t Fold = 0x2020202020202020u;
  const char* bytes = word.data();
  const std::size_t size = word.size();
  std::uint64_t first = 0;
  std::uint64_t last = 0;
  if (size >= 8) {
    first = load64(bytes);
    last = load64(bytes + size - 8);
  } else if (size >= 4) {
    first = load32(bytes);
    last = load32(bytes + size - 4);
  } else if (size > 0) {
    first = static_cast<unsigned char>(bytes[0]) |
            std::uint64_t{static_cast<unsigned char>(bytes[size / 2])} << 8;
    last = static_cast<unsigned char>(bytes[size - 1]);
  }
  std::uint64_t hash = ((first | Fold) * 0x9E3779B97F4A7C15u) ^ ((last | Fold) * 0xC2B2AE3D27D4EB4Fu);
  hash ^= size;
  return static_cast<std::uint32_t>(hash ^ (hash >> 32));
}

// What ends a piece of a word: a blank, or a tag's "<".
constexpr std::array<bool, 256> EndsPiece = [] {
  std::array<bool, 256> ends{};
  ends[' '] = ends['\t'] = ends['<'] = true;
  return ends;
}();

}  // namespace

void SearchWords::collect(const std::vector<std::string_view>& lines, std::string& out) {
  words_.clear();
  joined_.clear();
  std::size_t total = 0;
  for (std::string_view line : lines) total += line.size();
  // Words point into joined_: it never needs to grow past the lines' bytes.
  joined_.reserve(total);
  for (std::string_view line : lines) {
    if (line.starts_with('@')) line.remove_prefix(1);
    // A word is a run of bytes up to a blank; a tag inside it is left out
    // and joins its two parts, which then go into joined_.
    std::size_t i = 0;
    while (i < line.size()) {
      const std::size_t start = i;
      while (i < line.size() && !EndsPiece[static_cast<unsigned char>(line[i])]) ++i;
      if (i == line.size() || line[i] != '<') {
        if (i > start) words_.push_back(line.substr(start, i - start));
        ++i;
        continue;
      }
      const std::size_t from = joined_.size();
      joined_.append(line.data() + start, i - start);
      while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
        if (line[i] == '<') {
          const std::size_t close = line.find('>', i);
          i = close == std::string_view::npos ? line.size() : close + 1;
          continue;
        }
        const std::size_t piece = i;
        while (i < line.size() && !EndsPiece[static_cast<unsigned char>(line[i])]) ++i;
        joined_.append(line.data() + piece, i - piece);
      }
      if (joined_.size() > from)
        words_.push_back(std::string_view(joined_).substr(from, joined_.size() - from));
    }
  }
  std::size_t size = 16;
  while (size < words_.size() * 2) size *= 2;
  slots_.assign(size, 0);
  const std::size_t start = out.size();
  for (std::uint32_t w = 0; w < words_.size(); ++w) {
    const std::string_view word = words_[w];
    std::size_t at = foldedWordHash(word) & (size - 1);
    for (; slots_[at] != 0; at = (at + 1) & (size - 1)) {
      const std::string_view other = words_[slots_[at] - 1];
      if (other == word || equalIgnoringAsciiCase(other, word)) break;
    }
    if (slots_[at] != 0) continue;  // the word stands earlier
    slots_[at] = w + 1;
    if (out.size() > start) out += ' ';
    out += word;
  }
}

void appendNumber(std::string& out, std::uint32_t number) {
  char digits[10];
  std::size_t count = 0;
  do {
    digits[count++] = static_cast<char>('0' + number % 10);
    number /= 10;
  } while (number != 0);
  while (count > 0) out += digits[--count];
}

namespace {

constexpr std::string_view InlineTags[] = {"b",   "i",   "u",   "em",  "strong", "code",
                                           "sub", "sup", "kbd", "var", "tt"};
constexpr std::string_view NamedEntities[] = {
    "amp",  "lt",    "gt",   "quot", "apos", "nbsp",  "auml",  "ouml",  "uuml",   "Auml",   "Ouml",
    "Uuml", "szlig", "copy", "reg",  "deg",  "mdash", "ndash", "hellip", "euro", "middot", "times"};

// The length of a character reference that may stand as written at `at`
// ("&" ... ";"), or 0.
std::size_t keptReference(std::string_view text, std::size_t at) {
  const std::size_t end = text.find(';', at + 1);
  if (end == std::string_view::npos || end - at > 10) return 0;
  const std::string_view body = text.substr(at + 1, end - at - 1);
  for (std::string_view name : NamedEntities)
    if (body == name) return end - at + 1;
  if (body.size() < 2 || body[0] != '#') return 0;
  const bool hex = body[1] == 'x' || body[1] == 'X';
  const std::string_view digits = body.substr(hex ? 2 : 1);
  if (digits.empty() || digits.size() > 6) return 0;
  std::uint32_t value = 0;
  for (char c : digits) {
    int digit = -1;
    if (c >= '0' && c <= '9') digit = c - '0';
    if (hex && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
    if (hex && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
    if (digit < 0) return 0;
    value = value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit);
  }
  // What a page may hold: no controls, surrogates or noncharacters.
  const char32_t c = value;
  return c >= 0x20 && c <= 0x10FFFF && fitForPage(c) == c && !(c >= 0xD800 && c <= 0xDFFF)
             ? end - at + 1
             : 0;
}

// The inline element a tag's name stands for ("tt" is "code" today), or
// empty.
std::string_view inlineElement(std::string_view name) {
  if (name.size() > 6) return {};
  char lower[6];
  for (std::size_t i = 0; i < name.size(); ++i)
    lower[i] = static_cast<char>(name[i] >= 'A' && name[i] <= 'Z' ? name[i] - 'A' + 'a' : name[i]);
  const std::string_view folded(lower, name.size());
  if (folded == "tt") return "code";
  for (std::string_view tag : InlineTags)
    if (folded == tag) return tag;
  return {};
}

}  // namespace

void appendDocText(std::string& out, std::string_view bytes, Encoding encoding) {
  std::vector<std::string_view> open;
  std::size_t at = 0;
  while (at < bytes.size()) {
    std::size_t special = at;
    while (special < bytes.size() && bytes[special] != '<' && bytes[special] != '&') ++special;
    if (special == bytes.size()) special = std::string_view::npos;
    appendText(out, bytes.substr(at, special - at), encoding);
    if (special == std::string_view::npos) break;
    at = special;
    if (bytes[at] == '&') {
      const std::size_t length = keptReference(bytes, at);
      out.append(length > 0 ? bytes.substr(at, length) : "&amp;");
      at += length > 0 ? length : 1;
      continue;
    }
    const std::size_t end = bytes.find('>', at);
    std::string_view tag = end == std::string_view::npos ? "" : bytes.substr(at + 1, end - at - 1);
    const bool closing = tag.starts_with('/');
    if (closing) tag.remove_prefix(1);
    while (!tag.empty() && (tag.back() == ' ' || tag.back() == '/')) tag.remove_suffix(1);
    const std::string_view element = inlineElement(tag);
    if (!closing && tag.size() == 2 && (tag[0] | 0x20) == 'b' && (tag[1] | 0x20) == 'r') {
      out += "<br>";
    } else if (!element.empty() && !closing) {
      out += '<';
      out += element;
      out += '>';
      open.push_back(element);
    } else if (!element.empty() && !open.empty() && open.back() == element) {
      out += "</";
      out += element;
      out += '>';
      open.pop_back();
    } else {
      out += "&lt;";
      ++at;
      continue;
    }
    at = end + 1;
  }
  while (!open.empty()) {
    out += "</";
    out += open.back();
    out += '>';
    open.pop_back();
  }
}

std::string decoded(std::string_view bytes, Encoding encoding) {
  std::string out;
  appendDecoded(out, bytes, encoding);
  return out;
}

void appendEscaped(std::string& out, std::string_view text) {
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
}

void appendAttribute(std::string& out, std::string_view text) {
  for (char c : text) {
    if (c == '"')
      out += "&quot;";
    else
      appendEscaped(out, std::string_view(&c, 1));
  }
}

std::string fragmentId(std::string_view name) {
  std::string id;
  for (char c : name) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || byte == '_') {
      id += c;
    } else {
      id += '.';
      id += Hex[byte >> 4];
      id += Hex[byte & 0xF];
    }
  }
  if (id.empty()) id.push_back('_');
  return id;
}

void appendUrlPath(std::string& out, std::string_view path) {
  for (char c : path) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z') ||
        (byte >= '0' && byte <= '9') || c == '-' || c == '.' || c == '_' || c == '~' ||
        c == '/') {
      out += c;
    } else {
      out += '%';
      out += Hex[byte >> 4];
      out += Hex[byte & 0xF];
    }
  }
}

void appendJsonString(std::string& out, std::string_view text) {
  out += '"';
  for (std::size_t at = 0; at < text.size(); ++at) {
    const auto byte = static_cast<unsigned char>(text[at]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte < 0x20) {
      out += "\\u00";
      out += Hex[byte >> 4];
      out += Hex[byte & 0xF];
    } else if (byte == '<' && at + 1 < text.size() && text[at + 1] == '/') {
      out += "<\\/";  // a script's text never holds an end tag
      ++at;
    } else if (byte == 0xE2 && at + 2 < text.size() && text[at + 1] == '\x80' &&
               (text[at + 2] == '\xA8' || text[at + 2] == '\xA9')) {
      out += text[at + 2] == '\xA8' ? "\\u2028" : "\\u2029";  // line ends to older scripts
      at += 2;
    } else {
      out += static_cast<char>(byte);
    }
  }
  out += '"';
}

}  // namespace pirvex::site

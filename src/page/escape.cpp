#include "page/escape.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

#include "page/fragments.h"
#include "page/page_writer.h"
#include "platform/memory_block.h"

namespace pirvex {
namespace {

struct Umlaut {
  unsigned char code;
  char letter;
};

// Both code pages side by side: a byte is replaced whatever it means in the
// file's own code page.
constexpr std::array<Umlaut, 14> UmlautTable = {{
    {0x84, 'a'},
    {0x81, 'u'},
    {0x94, 'o'},
    {0x8E, 'A'},
    {0x9A, 'U'},
    {0x99, 'O'},
    {0xE1, 's'},
    {0xE4, 'a'},
    {0xFC, 'u'},
    {0xF6, 'o'},
    {0xC4, 'A'},
    {0xDC, 'U'},
    {0xD6, 'O'},
    {0xDF, 's'},
}};

// Every umlaut is a byte above 0x7F, so a text of ASCII alone has none.
static_assert(std::all_of(UmlautTable.begin(), UmlautTable.end(),
                          [](const Umlaut& umlaut) { return umlaut.code >= 0x80; }));

// Whether a byte of `text` is above 0x7F, eight bytes a step.
bool anyHighByte(std::string_view text) {
  constexpr std::uint64_t HighBits = 0x8080808080808080ULL;
  std::size_t at = 0;
  for (; text.size() - at >= 8; at += 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + at, sizeof word);
    if ((word & HighBits) != 0) return true;
  }
  for (; at < text.size(); ++at)
    if ((static_cast<unsigned char>(text[at]) & 0x80) != 0) return true;
  return false;
}

// For every byte value, its entry of the table plus one (0: no umlaut), so
// that a text without umlauts costs one look-up per byte.
constexpr std::array<unsigned char, 256> UmlautIndex = [] {
  std::array<unsigned char, 256> index{};
  for (std::size_t i = 0; i < UmlautTable.size(); ++i)
    if (index[UmlautTable[i].code] == 0)
      index[UmlautTable[i].code] = static_cast<unsigned char>(i + 1);
  return index;
}();

const Umlaut* findUmlaut(char byte) {
  unsigned char entry = UmlautIndex[static_cast<unsigned char>(byte)];
  return entry ? &UmlautTable[entry - 1] : nullptr;
}

// "&", the letter, then "uml;", or "zlig;" for the sharp s.
char* writeEntity(const Umlaut& umlaut, char* out) {
  *out++ = '&';
  *out++ = umlaut.letter;
  std::string_view tail = (umlaut.letter == 's') ? "zlig;" : "uml;";
  return std::copy(tail.begin(), tail.end(), out);
}

// The entity of a markup byte where `markup` escapes it, or nothing.
constexpr std::string_view markupEntity(char byte, Markup markup) {
  if (markup == Markup::Kept) return {};
  if (byte == '&' && markup == Markup::Plain) return "&amp;";
  if (byte == '<') return "&lt;";
  if (byte == '>') return "&gt;";
  if (byte == '"' && markup == Markup::Attribute) return "&quot;";
  return {};
}

// What a byte needs where text is written as `how` says.
enum class Need : unsigned char { Nothing, Umlaut, Markup };
using NeedTable = std::array<Need, 256>;

constexpr NeedTable needTable(bool umlauts, Markup markup) {
  NeedTable table{};
  for (int byte = 0; byte < 256; ++byte)
    if (!markupEntity(static_cast<char>(byte), markup).empty())
      table[static_cast<std::size_t>(byte)] = Need::Markup;
  if (umlauts)
    for (const Umlaut& umlaut : UmlautTable) table[umlaut.code] = Need::Umlaut;
  return table;
}

// One table for each way of writing: umlauts kept or not, then the four
// kinds of markup in their order.
constexpr std::size_t MarkupKinds = 4;
constexpr std::array<NeedTable, 2 * MarkupKinds> NeedTables = {
    needTable(false, Markup::Kept),      needTable(false, Markup::Text),
    needTable(false, Markup::Attribute), needTable(false, Markup::Plain),
    needTable(true, Markup::Kept),       needTable(true, Markup::Text),
    needTable(true, Markup::Attribute),  needTable(true, Markup::Plain)};

const NeedTable& needsOf(Escape how) {
  return NeedTables[(how.umlauts ? MarkupKinds : 0) + static_cast<std::size_t>(how.markup)];
}

// Up to this many bytes from the first one to escape, the scratch block is
// sized for the worst (every byte an "&szlig;") instead of counting first.
constexpr std::size_t SizedWithoutCounting = 4096;

std::size_t countMarkup(std::string_view text, Markup markup) {
  if (markup == Markup::Kept) return 0;
  std::size_t count = 0;
  for (char byte : text)
    if (!markupEntity(byte, markup).empty()) ++count;
  return count;
}

// Without a scratch block: the text in runs, with the markup entities
// between them.
void writeMarkupInPieces(std::string_view text, Markup markup,
                         const std::function<void(std::string_view)>& write) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    std::string_view entity = markupEntity(text[i], markup);
    if (entity.empty()) continue;
    if (i > run) write(text.substr(run, i - run));
    write(entity);
    run = i + 1;
  }
  if (text.size() > run) write(text.substr(run));
}

// The bytes a page path in a link target carries as "%HH".
constexpr bool isEscapedInLink(unsigned char byte) {
  return byte < 0x20 || byte == 0x7F || byte == '"' || byte == '#' || byte == '%' || byte == '<' ||
         byte == '>' || byte == '?';
}

constexpr std::array<bool, 256> EscapedInLink = [] {
  std::array<bool, 256> table{};
  for (int byte = 0; byte < 256; ++byte)
    table[static_cast<std::size_t>(byte)] = isEscapedInLink(static_cast<unsigned char>(byte));
  return table;
}();

constexpr std::string_view UpperHexDigits = "0123456789ABCDEF";

// The value of an upper-case hex digit, or -1.
int upperHexValue(char digit) {
  const std::size_t at = UpperHexDigits.find(digit);
  return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

void writeLinkPath(std::string_view path, const std::function<void(std::string_view)>& write) {
  std::size_t run = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    const auto byte = static_cast<unsigned char>(path[i]);
    if (!EscapedInLink[byte]) continue;
    if (i > run) write(path.substr(run, i - run));
    const char escape[] = {'%', UpperHexDigits[byte >> 4], UpperHexDigits[byte & 0xF]};
    write(std::string_view(escape, sizeof escape));
    run = i + 1;
  }
  if (path.size() > run) write(path.substr(run));
}

std::string linkPathDecoded(std::string_view target) {
  std::string path;
  path.reserve(target.size());
  for (std::size_t i = 0; i < target.size(); ++i) {
    const bool digitsFollow = target[i] == '%' && i + 2 < target.size();
    const int high = digitsFollow ? upperHexValue(target[i + 1]) : -1;
    const int low = high >= 0 ? upperHexValue(target[i + 2]) : -1;
    const auto byte = static_cast<unsigned char>(high * 16 + low);
    if (low >= 0 && EscapedInLink[byte]) {
      path += static_cast<char>(byte);
      i += 2;
    } else {
      path += target[i];
    }
  }
  return path;
}

std::uint32_t countUmlauts(std::string_view text) {
  if (!anyHighByte(text)) return 0;
  std::uint32_t count = 0;
  for (char byte : text)
    if (findUmlaut(byte)) ++count;
  return count;
}

std::size_t escapeUmlauts(std::string_view text, char* buffer) {
  char* out = buffer;
  for (char byte : text) {
    const Umlaut* umlaut = findUmlaut(byte);
    if (!umlaut) {
      *out++ = byte;
      continue;
    }
    out = writeEntity(*umlaut, out);
  }
  return static_cast<std::size_t>(out - buffer);
}

void writeEscapedThrough(platform::Platform& platform, std::string_view text, Escape how,
                         const std::function<void(std::string_view)>& write,
                         ReusableBlock* kept) {
  const NeedTable& needs = needsOf(how);
  std::size_t first = 0;
  while (first < text.size() && needs[static_cast<unsigned char>(text[first])] == Need::Nothing)
    ++first;
  if (first == text.size()) {
    write(text);
    return;
  }
  // From the first byte to escape on, an umlaut grows by at most six bytes
  // ("&szlig;"), markup by at most five ("&quot;").
  const std::string_view rest = text.substr(first);
  const std::size_t size =
      rest.size() <= SizedWithoutCounting
          ? text.size() + 6 * rest.size()
          : text.size() + 6 * std::size_t{how.umlauts ? countUmlauts(rest) : 0} +
                5 * countMarkup(rest, how.markup);
  MemoryBlock own;
  if (!kept) own = MemoryBlock(platform, size, platform::MemoryUse::EscapeScratch);
  char* const scratch =
      kept ? kept->atLeast(platform, size, platform::MemoryUse::EscapeScratch) : own.bytes();
  if (!scratch) {
    writeMarkupInPieces(text, how.markup, write);
    return;
  }
  char* out = std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(first), scratch);
  for (char byte : rest) {
    switch (needs[static_cast<unsigned char>(byte)]) {
      case Need::Nothing:
        *out++ = byte;
        break;
      case Need::Umlaut:
        out = writeEntity(*findUmlaut(byte), out);
        break;
      case Need::Markup: {
        const std::string_view entity = markupEntity(byte, how.markup);
        out = std::copy(entity.begin(), entity.end(), out);
        break;
      }
    }
  }
  write({scratch, static_cast<std::size_t>(out - scratch)});
}

void writeEscaped(Page& page, std::string_view text, Escape how) {
  writeEscapedThrough(
      *page.platform, text, how, [&page](std::string_view piece) { writeRaw(page, piece); },
      &page.escapeScratch);
}

void writeEscapedLine(Page& page, std::string_view text) {
  writeEscaped(page, text);
  writeRaw(page, FragLineEnd);
}

}  // namespace pirvex

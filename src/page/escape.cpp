#include "page/escape.h"

#include <array>

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

}  // namespace

std::uint32_t countUmlauts(std::string_view text) {
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
    *out++ = '&';
    *out++ = umlaut->letter;
    std::string_view tail = (umlaut->letter == 's') ? "zlig;" : "uml;";
    for (char c : tail) *out++ = c;
  }
  return static_cast<std::size_t>(out - buffer);
}

void writeEscaped(Page& page, std::string_view text) {
  std::uint32_t count = countUmlauts(text);
  if (count == 0) {
    writeRaw(page, text);
    return;
  }
  MemoryBlock scratch(*page.platform, text.size() + 6 * static_cast<std::size_t>(count),
                      platform::MemoryUse::EscapeScratch);
  if (!scratch) {
    // Without a scratch buffer the text still reaches the page, unescaped.
    writeRaw(page, text);
    return;
  }
  std::size_t length = escapeUmlauts(text, scratch.bytes());
  writeRaw(page, {scratch.bytes(), length});
}

void writeEscapedLine(Page& page, std::string_view text) {
  writeEscaped(page, text);
  writeRaw(page, FragLineEnd);
}

}  // namespace pirvex

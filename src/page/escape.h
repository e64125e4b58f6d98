// German umlauts and the sharp s of code page 437 and of ISO 8859-1 become
// HTML entities; the pages declare no character set. Nothing else changes:
// markup in documentation text takes effect on the page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "page/page_writer.h"

namespace pirvex {

std::uint32_t countUmlauts(std::string_view text);
// Copies the text into `buffer`, which holds text.size() + 6 * countUmlauts
// bytes, with every umlaut code replaced; the count of bytes written.
std::size_t escapeUmlauts(std::string_view text, char* buffer);
// Writes the text to the page with its umlauts escaped; without memory for
// the escaping, unescaped.
void writeEscaped(Page& page, std::string_view text);
void writeEscapedLine(Page& page, std::string_view text);

}  // namespace pirvex

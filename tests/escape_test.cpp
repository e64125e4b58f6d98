#include "page/escape.h"

#include <gtest/gtest.h>

#include <string>

namespace pirvex {
namespace {

std::string escaped(std::string_view text) {
  std::string buffer(text.size() + 6 * countUmlauts(text), '\0');
  buffer.resize(escapeUmlauts(text, buffer.data()));
  return buffer;
}

TEST(Escaping, BothCodePagesGiveTheSameEntities) {
  EXPECT_EQ(escaped("Gr\x94\xE1"
                    "e"),
            "Gr&ouml;&szlig;e");
  EXPECT_EQ(escaped("Gr\xF6\xDF"
                    "e"),
            "Gr&ouml;&szlig;e");
  EXPECT_EQ(escaped("\x8E"), "&Auml;");
  EXPECT_EQ(escaped("\xC4"), "&Auml;");
  EXPECT_EQ(escaped("\x84\x81\x9A\x99\xE4\xFC\xDC\xD6"),
            "&auml;&uuml;&Uuml;&Ouml;&auml;&uuml;&Uuml;&Ouml;");
}

TEST(Escaping, MarkupAndOtherBytesPassUnchanged) {
  EXPECT_EQ(countUmlauts("<b>a & \"b\"</b>\x80\xFF"), 0u);
  EXPECT_EQ(escaped("<b>a & \"b\"</b>\x80\xFF"), "<b>a & \"b\"</b>\x80\xFF");
  EXPECT_EQ(escaped(""), "");
}

TEST(Escaping, SharpSOnlyTextFillsItsBufferExactly) {
  std::string text(50, '\xDF');
  EXPECT_EQ(countUmlauts(text), 50u);
  std::string out = escaped(text);
  EXPECT_EQ(out.size(), 7u * 50u);
  EXPECT_EQ(out.substr(0, 14), "&szlig;&szlig;");
}

}  // namespace
}  // namespace pirvex

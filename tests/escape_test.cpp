#include "page/escape.h"

#include <gtest/gtest.h>

#include <string>

#include "support/fake_platform.h"

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

// The scratch buffer comes from the fake, which notices a write past the
// end of any block it handed out: the longest entity must fit.
TEST(Escaping, SharpSOnlyTextFillsItsBufferExactly) {
  for (char sharpS : {'\xDF', '\xE1'}) {
    std::string text(50, sharpS);
    EXPECT_EQ(countUmlauts(text), 50u);
    testing::FakePlatform fake;
    {
      Page page{&fake, nullptr, "demo", "demo.HTM", "demo.asm"};
      page.pageFile = fake.createFileAnew("out.htm");
      writeEscaped(page, text);
      fake.closeFile(page.pageFile);
      EXPECT_EQ(fake.liveBlocks(), 1u) << "the page keeps its scratch block for the next text";
    }
    std::string out = fake.fileText("out.htm");
    EXPECT_EQ(out.size(), 7u * 50u);
    EXPECT_EQ(out.substr(0, 14), "&szlig;&szlig;");
    EXPECT_EQ(out.find_first_not_of("&szlig;"), std::string::npos);
    EXPECT_EQ(fake.liveBlocks(), 0u);
    EXPECT_EQ(fake.misuses(), 0u) << "the scratch buffer was overrun";
  }
}

// A page keeps one scratch block from text to text: a longer text gets a
// larger one (the old one is given back first), a shorter one reuses it.
TEST(Escaping, APageReusesItsScratchBlockAndGrowsItWhenATextNeedsMore) {
  testing::FakePlatform fake;
  {
    Page page{&fake, nullptr, "demo", "demo.HTM", "demo.asm"};
    page.pageFile = fake.createFileAnew("out.htm");
    for (std::size_t length : {1, 40, 2, 40})
      writeEscaped(page, std::string(length, '\x84') + "<b>");
    fake.closeFile(page.pageFile);
  }
  std::string expected;
  for (std::size_t length : {1, 40, 2, 40}) {
    for (std::size_t i = 0; i < length; ++i) expected += "&auml;";
    expected += "<b>";
  }
  EXPECT_EQ(fake.fileText("out.htm"), expected);
  std::size_t obtained = 0;
  for (const testing::FaultPoint& point : fake.pointsReached())
    if (point.memory && point.use == platform::MemoryUse::EscapeScratch) ++obtained;
  EXPECT_EQ(obtained, 2u);
  EXPECT_EQ(fake.peakBlocks(), 1u) << "the smaller block is given back before the larger is had";
  EXPECT_EQ(fake.liveBlocks(), 0u);
  EXPECT_EQ(fake.misuses(), 0u) << "a text ran past the block it was given";
}

// A long text is counted before its block is had, instead of being given
// room for its worst: the block must still hold every entity, umlauts and
// markup alike, and the bytes before the first one go over unchanged.
TEST(Escaping, LongTextsGetABlockOfTheirCountedSize) {
  std::string text(100, 'x');
  std::string expected = text;
  for (int i = 0; i < 1000; ++i) {
    text += "\xE1\"<a>";
    expected += "&szlig;&quot;&lt;a&gt;";
  }
  testing::FakePlatform fake;
  {
    Page page{&fake, nullptr, "demo", "demo.HTM", "demo.asm"};
    page.pageFile = fake.createFileAnew("out.htm");
    writeEscaped(page, text, NameInAttribute);
    writeEscaped(page, "plain", NameInAttribute);
    fake.closeFile(page.pageFile);
  }
  EXPECT_EQ(fake.fileText("out.htm"), expected + "plain");
  EXPECT_EQ(fake.misuses(), 0u) << "the scratch buffer was overrun";
}

TEST(Escaping, EveryWrittenLineEndsWithCrLf) {
  testing::FakePlatform fake;
  Page page{&fake, nullptr, "demo", "demo.HTM", "demo.asm"};
  page.pageFile = fake.createFileAnew("out.htm");
  writeEscapedLine(page, "");
  writeEscapedLine(page, "<b>plain</b>");
  writeEscapedLine(page, "\x8E\x99\xDC");
  fake.closeFile(page.pageFile);
  EXPECT_EQ(fake.fileText("out.htm"), "\r\n<b>plain</b>\r\n&Auml;&Ouml;&Uuml;\r\n");
}

// Without a scratch block, markup is escaped piece by piece: up to the
// text's end and not a byte beyond it.
TEST(Escaping, MarkupPiecesWithoutScratchMemoryStopAtTheTextsEnd) {
  testing::FakePlatform fake;
  fake.failMemory(platform::MemoryUse::EscapeScratch, {}, 0);
  const std::string text = "a<b>";
  std::string written;
  writeEscapedThrough(fake, std::string_view(text).substr(0, 3), MarkupAsText,
                      [&](std::string_view piece) { written += piece; });
  EXPECT_EQ(written, "a&lt;b");
  written.clear();
  writeEscapedThrough(fake, "\"x\"", MarkupInAttribute,
                      [&](std::string_view piece) { written += piece; });
  EXPECT_EQ(written, "&quot;x&quot;");
}

}  // namespace
}  // namespace pirvex

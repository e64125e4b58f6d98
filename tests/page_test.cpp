// The page writer, entry headings, configured heading tables and structure
// tables, written over the fake platform and compared byte for byte.
#include <gtest/gtest.h>

#include "page/doc_text.h"
#include "page/escape.h"
#include "page/heading.h"
#include "page/page_writer.h"
#include "page/structure.h"
#include "support/expected.h"
#include "support/fake_platform.h"

namespace pirvex::testing {
namespace {

// The lines that headings add to an index, one "page path|name" each.
class RecordedIndex final : public EntryIndex {
 public:
  void addEntry(std::string_view pagePath, std::string_view name) override {
    lines += std::string(pagePath) + "|" + std::string(name) + "\n";
  }
  std::string lines;
};

Page pageOf(OutputFiles& outputs, std::string pagePath, std::string sourcePath = "demo.asm") {
  return Page{&outputs.platform(), &outputs, "demo", std::move(pagePath), std::move(sourcePath)};
}

// The first `size` bytes of `text` as a buffer; what follows them in
// `text` lies outside and must never be looked at.
Cursor over(const std::string& text, std::size_t size = std::string::npos) {
  return Cursor(text.data(), static_cast<std::uint32_t>(std::min(size, text.size())));
}

// A whole page whose body holds bytes (a bare LF) that must not become CR LF.
std::string pageWithRawBody(std::string_view title, std::string_view body) {
  std::string whole = page(title, "");
  whole.insert(whole.find("  </FONT>"), body);
  return whole;
}

std::string configuredHead(std::string_view width, std::string_view height,
                           std::string_view background, std::string_view name) {
  return "<table width=\"" + std::string(width) + "\" border=\"1\"><tr><th height=\"" +
         std::string(height) + "\" align=centre valign=\"bottom\" background=\"" +
         std::string(background) +
         "\"><font color=\"#000000\" size=\"2\"><div style=\"position:relative; top:3px;\" "
         "align=\"bottom\">" +
         std::string(name) +
         "</div></font></tr><tr><td><table width=\"100%\" border=\"0\" "
         "BGCOLOR=\"#FFFFCC\"><tr><td colspan=\"2\">";
}

const std::string ConfigClose = "</tr></table></tr></table><BR>";

TEST(PageWriter, FragmentsGoOnlyOntoAnOpenPageAndListMarksOnlyIntoAList) {
  FakePlatform fake;
  OutputFiles outputs(fake);
  Page demo = pageOf(outputs, "src\\demo.HTM", "src\\demo.asm");
  writeRaw(demo, "lost");
  writeSourceLine(demo);
  closeList(demo);
  closePage(demo);
  EXPECT_TRUE(fake.files().empty());

  openPage(demo);
  openPage(demo);
  writeItemMark(demo);
  closeList(demo);
  openList(demo);
  writeItemMark(demo);  // openList alone opens no list for the marks
  demo.listOpen = true;
  writeItemMark(demo);
  writeRaw(demo, "x");
  writeBreak(demo);
  writeParagraphBreak(demo);
  writeAnchorStart(demo);
  writeAnchorEnd(demo);
  writeBoldStart(demo);
  writeBoldEnd(demo);
  writeTableEnd(demo);
  closeList(demo);
  closeList(demo);
  writeSourceLine(demo);
  closePage(demo);
  closePage(demo);
  EXPECT_EQ(fake.files(),
            (std::map<std::string, std::string>{
                {"pirVex/src/demo.HTM",
                 page("demo: src\\demo.asm",
                      "<UL>\n<LI>x<BR>\n<BR><BR>\n<A NAME=\"\"></A>\n<B></B>\n</table>\n</UL>\n" +
                          sourceLine("src\\demo.asm"))}}));
  EXPECT_EQ(demo.pageFile, platform::NoFile);
  EXPECT_EQ(fake.openFiles(), 0u);
}

TEST(Headings, UnconfiguredEntriesOpenThePageThenGetARule) {
  FakePlatform fake;
  OutputFiles outputs(fake);
  RecordedIndex procedures;
  const ConfigTab config;
  Page demo = pageOf(outputs, "demo.HTM");
  writeEntryHeading(demo, config, procedures, "Foo");
  writeEntryHeading(demo, config, procedures,
                    "Gr\x94\xE1"
                    "e");
  writePrivateName(demo, "own\x84");
  closePage(demo);
  EXPECT_EQ(fake.fileText("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("Foo") + "<HR>\n" + heading("Gr&ouml;&szlig;e") +
                                       "Private Name: own&auml;<BR><BR>\n"));
  EXPECT_EQ(procedures.lines,
            "demo.HTM|Foo\ndemo.HTM|Gr\x94\xE1"
            "e\n");
}

TEST(Headings, ConfiguredTablesClimbToTheOutputDirectoryAndAreSwitchedByTheTag) {
  const std::string lines = crlf(
      ";*@config-tab: pics\\bar.gif   600\t 30\n"
      "  ;*  @CONFIG-TAB: x 1\n"
      ";*@CONFIG-TAB: y.png 2 3 and more\n"
      ";*@CONFIG-TA: z 4 5\n");
  Cursor cursor = over(lines);
  FakePlatform fake;
  OutputFiles outputs(fake);
  RecordedIndex procedures;
  ConfigTab config;
  Page demo = pageOf(outputs, "a\\b/c.HTM", "a\\b/c.inc");

  ASSERT_TRUE(readConfigTab(config, cursor));
  writeEntryHeading(demo, config, procedures, "Foo");
  writeEntryHeading(demo, config, procedures, "B\x84r");
  ASSERT_TRUE(readConfigTab(config, cursor));  // two words only: off
  writeEntryHeading(demo, config, procedures, "C");
  ASSERT_TRUE(readConfigTab(config, cursor));
  writeEntryHeading(demo, config, procedures, "D");
  const Cursor before = cursor;
  EXPECT_FALSE(readConfigTab(config, cursor));
  EXPECT_EQ(cursor.position, before.position);
  EXPECT_EQ(cursor.remaining, before.remaining);
  closePage(demo);

  EXPECT_EQ(
      fake.fileText("pirVex/a/b/c.HTM"),
      page("demo: a\\b/c.inc",
           configuredHead("600\t ", "30", "../../pics\\bar.gif ", "Foo") + heading("Foo") +
               ConfigClose + configuredHead("600\t ", "30", "../../pics\\bar.gif ", "B&auml;r") +
               heading("B&auml;r") + "<HR>\n" + heading("C") + ConfigClose +
               configuredHead("2 ", "3 ", "../../y.png ", "D") + heading("D")));
  EXPECT_EQ(procedures.lines, "a\\b/c.HTM|Foo\na\\b/c.HTM|B\x84r\na\\b/c.HTM|C\na\\b/c.HTM|D\n");
}

TEST(Headings, TagAtTheEndOfTheText) {
  ConfigTab config;
  config.configActive = true;
  const std::string tag = ";*@CONFIG-TAB:";
  Cursor whole = over(tag);
  ASSERT_TRUE(readConfigTab(config, whole));
  EXPECT_FALSE(config.configActive);
  EXPECT_TRUE(whole.atEnd());

  Cursor cut = over(tag, tag.size() - 1);  // the ":" lies outside
  EXPECT_FALSE(readConfigTab(config, cut));
  EXPECT_EQ(cut.remaining, tag.size() - 1);

  const std::string words = ";*@CONFIG-TAB: a b c";
  Cursor last = over(words);
  ASSERT_TRUE(readConfigTab(config, last));
  EXPECT_TRUE(config.configActive);
  EXPECT_EQ(config.configHeight, "c");
}

TEST(Headings, UpLevelsCountSeparatorsUpToTheZeroByte) {
  EXPECT_EQ(upLevels("top.HTM") + upLevels(std::string_view("a\\b/c\0d\\e", 9)) +
                upLevels("|") + upLevels("\\"),
            "../../../");
}

TEST(DocumentationText, PlainLinesSectionsAndTheirItems) {
  const std::string block = crlf(
      ";* Reads a line.  \n;*\n;*@\n;*@see:\n;* ReadChar\n  ;*\tParse\t\n;*@ Other \n;*@Two\n"
      ";* <b>x</b> & \x94\n");
  const std::string sectionFirst = crlf(";*@see:\n;* A\n");
  FakePlatform fake;
  OutputFiles outputs(fake);
  Page first = pageOf(outputs, "one.HTM");
  Page second = pageOf(outputs, "two.HTM");
  for (Cursor line = over(block); !line.atEnd(); nextLine(line)) renderDocLine(first, line);
  for (Cursor line = over(sectionFirst); !line.atEnd(); nextLine(line)) renderDocLine(second, line);
  for (Page* done : {&first, &second}) {
    closeList(*done);
    closePage(*done);
  }
  EXPECT_EQ(fake.fileText("pirVex/one.HTM"),
            page("demo: demo.asm",
                 "Reads a line.\n<BR><BR>\n<B>see:</B>\n<UL>\n<LI>ReadChar\n<LI>Parse\n</UL>\n"
                 "<B> Other</B>\n<UL>\n</UL>\n<B>Two</B>\n<UL>\n<LI><b>x</b> & &ouml;\n</UL>\n"));
  EXPECT_EQ(fake.fileText("pirVex/two.HTM"),
            page("demo: demo.asm", "<BR><BR>\n<B>see:</B>\n<UL>\n<LI>A\n</UL>\n"));
}

TEST(StructureTables, FieldWordsDupArgumentsAndTheEndingLine) {
  const std::string source =
      "\x84P  STRUC near\r\n"
      "\tx\tdd\t0\r\n"
      "\r\n\nlf db 1\r\n"
      "a db dup 5\r\n"
      "b dup 3 4\r\n"
      "c db 3 x dup (7)\r\n"
      "d db 2 dup(9)\r\n"
      "e dw 1 ; 2 dup (3)\r\n"
      "f db 4 DUP ?\r\n"
      "g db 1 ; (x)\r\n"
      "h db 3 Dup ( 7, 8\r\n"
      "i db 1)\r\n"
      "k db 2 dUp ((1)) <>\r\n"
      "m db 5 DUPLICATE (z) y)\r\n"
      "r db 2 DUP ()\r\n"
      "n db 6\ro dw 7\r\n"
      "p db\n9 x\r\n"
      "friENDship dd ?\r\n"
      "after db 1\r\n";
  FakePlatform fake;
  OutputFiles outputs(fake);
  RecordedIndex structures;
  ConfigTab config;
  config.configActive = true;  // a structure gets no configured heading
  Page demo = pageOf(outputs, "demo.HTM");
  openPage(demo);
  Cursor cursor = over(source);
  writeStructure(demo, config, structures, cursor);
  closePage(demo);
  const std::string rows =
      "<tr><td>x</td><td>dd</td><td>0</td></tr>"
      "<tr><td>\nlf</td><td>db</td><td>1</td></tr>"
      "<tr><td>a</td><td>db</td><td>dup</td></tr>"
      "<tr><td>b</td><td>dup</td><td>3</td></tr>"
      "<tr><td>c</td><td>db</td><td>3</td></tr>"
      "<tr><td>d</td><td>2*db</td><td>9</td></tr>"
      "<tr><td>e</td><td>dw</td><td>1</td></tr>"
      "<tr><td>f</td><td>4*db</td><td></td></tr>"
      "<tr><td>g</td><td>db</td><td>1</td></tr>"
      "<tr><td>h</td><td>3*db</td><td>7, 8</td></tr>"
      "<tr><td>i</td><td>db</td><td>1)</td></tr>"
      "<tr><td>k</td><td>2*db</td><td>(1</td></tr>"
      "<tr><td>m</td><td>5*db</td><td>z</td></tr>"
      "<tr><td>r</td><td>2*db</td><td></td></tr>"
      "<tr><td>n</td><td>db</td><td>6</td></tr>"
      "<tr><td>o</td><td>dw</td><td>7</td></tr>"
      "<tr><td>p</td><td>db\n9</td><td>x</td></tr>";
  EXPECT_EQ(fake.fileText("pirVex/demo.HTM"),
            pageWithRawBody("demo: demo.asm",
                            ConfigClose +
                                "<A NAME=\"&auml;P\"></A>\r\n<table border=\"1\">\r\n <tr><th "
                                "colspan=\"3\">\x84P</th></tr>\r\n" +
                                rows + "</table>\r\n<BR><BR>\r\n"));
  EXPECT_EQ(structures.lines, "demo.HTM|\x84P\n");
  EXPECT_EQ(std::string(cursor.position, cursor.remaining), "friENDship dd ?\r\nafter db 1\r\n");
}

// Each text ends where the Cursor's count ends; the bytes after it in
// memory would change the answer if they were looked at.
TEST(StructureTables, KeywordsAndArgumentsAtTheEndOfTheText) {
  struct Case {
    std::string text;
    std::size_t size;
    std::string rows;
  };
  const std::string start = "S STRUC\r\n";
  const Case cases[] = {
      {start + "z db 5 DUP (x)", start.size() + 10, "<tr><td>z</td><td>5*db</td><td></td></tr>"},
      {start + "z db 5 DUP (x)", start.size() + 9, "<tr><td>z</td><td>db</td><td>5</td></tr>"},
      {start + "z db 5 dup (xy)", start.size() + 13, "<tr><td>z</td><td>5*db</td><td>x</td></tr>"},
      {start + "q db 1\r\nx ENDS", start.size() + 13,
       "<tr><td>q</td><td>db</td><td>1</td></tr><tr><td>x</td><td>END</td><td></td></tr>"},
      {start + "  ; comment\r\n ENDS", start.size() + 14, ""},
  };
  for (const Case& c : cases) {
    FakePlatform fake;
    OutputFiles outputs(fake);
    RecordedIndex structures;
    Page demo = pageOf(outputs, "demo.HTM");
    Cursor cursor = over(c.text, c.size);
    writeStructure(demo, ConfigTab{}, structures, cursor);
    closePage(demo);
    EXPECT_EQ(fake.fileText("pirVex/demo.HTM"), page("demo: demo.asm", structure("S", c.rows)))
        << c.text.substr(0, c.size);
    EXPECT_TRUE(cursor.atEnd()) << c.text.substr(0, c.size);
  }
}

TEST(StructureTables, LinesThatDeclareNoStructure) {
  // Only the first `size` bytes of each text are given.
  const std::pair<std::string, std::size_t> lines[] = {
      {"S\tSTRUC", 7}, {"S STRUC", 6}, {"S\r\n STRUC", 9}, {"ABCD STRUC", 3},
      {"S  struct", 8}};
  for (const auto& [text, size] : lines) {
    FakePlatform fake;
    OutputFiles outputs(fake);
    RecordedIndex structures;
    Page demo = pageOf(outputs, "demo.HTM");
    Cursor cursor = over(text, size);
    writeStructure(demo, ConfigTab{}, structures, cursor);
    closePage(demo);
    if (text == "S  struct") {
      EXPECT_EQ(fake.fileText("pirVex/demo.HTM"), page("demo: demo.asm", structure("S")));
      EXPECT_TRUE(cursor.atEnd());
    } else {
      EXPECT_TRUE(fake.files().empty()) << text;
      EXPECT_EQ(cursor.position, text.data()) << text;
    }
  }
}

}  // namespace
}  // namespace pirvex::testing

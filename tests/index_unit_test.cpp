// Index files, their sort, see-also links, the navigation page and the start
// page, each run on its own over the fake platform and compared byte for
// byte.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "index/entry_lookup.h"
#include "index/index_files.h"
#include "index/see_also.h"
#include "page/output_files.h"
#include "index/see_also_items.h"
#include "index/sort.h"
#include "scan/cursor.h"
#include "platform/buffered_platform.h"
#include "support/expected.h"
#include "support/fake_platform.h"

namespace pirvex::testing {
namespace {

using platform::NoFile;

std::string textOf(const IndexTable& table) { return {table.text.bytes(), table.textSize}; }

std::string sortedLines(const IndexTable& table) {
  std::string lines;
  for (std::uint32_t i = 0; i < table.count; ++i) lines += table.line(table.records()[i]);
  return lines;
}

TEST(IndexFiles, FirstEntryCreatesTheFileAndEveryLineGoesStraightIntoIt) {
  FakePlatform fake;
  OutputFiles outputs(fake);
  {
    IndexFile procedures(outputs, ProcedureIndexName);
    EXPECT_EQ(procedures.file(), NoFile);
    procedures.addEntry(std::string_view("sub\\a_inc.HTM\0junk", 18),
                        "Gr\x94\xE1"
                        "e");
    procedures.addEntry("demo.HTM", "ReadLine");
    EXPECT_EQ(fake.openFiles(), 1u);
    EXPECT_EQ(fake.fileText("pirVex/f_ndx.htm"),
              "<A HREF=\"sub\\a_inc.HTM#Gr\x94\xE1"
              "e\" TARGET=\"main\">Gr\x94\xE1"
              "e</A><BR>\r\n"
              "<A HREF=\"demo.HTM#ReadLine\" TARGET=\"main\">ReadLine</A><BR>\r\n");
  }
  EXPECT_EQ(fake.openFiles(), 0u);
}

// More than sixteen lines, most of them tied three ways: the sort must keep
// the file's order among equal keys.
TEST(IndexSorting, FoldedKeysPrefixesSeparatorsAndStableTies) {
  const char* ties[] = {"init", "Zed", "m", "INIT", "zed", "M", "Init", "ZED"};
  std::string file;
  std::string firstTie, secondTie, thirdTie;  // "init", "m", "zed" in file order
  for (int i = 0; i < 24; ++i) {
    const std::string path = "d\\p" + std::to_string(10 + i) + ".HTM";
    const std::string name = ties[i % 8];
    file += indexLine(path, name);
    std::string sorted = indexLine("d/p" + std::to_string(10 + i) + ".HTM", name);
    if (name.size() == 1)
      secondTie += sorted;
    else if (name[0] == 'z' || name[0] == 'Z')
      thirdTie += sorted;
    else
      firstTie += sorted;
  }
  file += indexLine("r\\1.HTM", "Read") + indexLine("r\\2.HTM", "Read_x") +
          indexLine("r\\3.HTM", "ReadA") + indexLine("r\\4.HTM", "Read2") +
          indexLine("r\\5.HTM", "_u") + indexLine("r\\6.HTM", "@a") +
          indexLine("r\\7.HTM", "\x84x") + indexLine("r\\8.HTM", "a\\b") + "no\\tag\r\n" +
          indexLine("r\\9.HTM", "\xE4q") + indexLine("r\\0.HTM", "\xC4r") +
          indexLine("q\\1.HTM", "Last");
  const std::string lastWithoutLineEnd = "<A HREF=\"q\\2.HTM#Last\" TARGET=\"main\">Last</A><BR>";
  file += lastWithoutLineEnd;

  FakePlatform fake;
  OutputFiles outputs(fake);
  fake.addFile("pirVex/f_ndx.htm", file);
  IndexTable table;
  ASSERT_EQ(sortIndex(outputs, ProcedureIndexName, table), IndexSort::Sorted);
  const std::string expected =
      "no/tag\r\n" + indexLine("r/6.HTM", "@a") +
      "<A HREF=\"r/8.HTM#a/b\" TARGET=\"main\">a\\b</A><BR>\r\n" + firstTie +
      "<A HREF=\"q/2.HTM#Last\" TARGET=\"main\">Last</A><BR>" + indexLine("q/1.HTM", "Last") +
      secondTie + indexLine("r/4.HTM", "Read2") + indexLine("r/1.HTM", "Read") +
      indexLine("r/3.HTM", "ReadA") + indexLine("r/2.HTM", "Read_x") + thirdTie +
      indexLine("r/5.HTM", "_u") + indexLine("r/7.HTM", "\x84x") + indexLine("r/0.HTM", "\xC4r") +
      indexLine("r/9.HTM", "\xE4q");
  EXPECT_EQ(fake.fileText("pirVex/f_ndx.htm"), expected);
  EXPECT_EQ(sortedLines(table), expected);
  EXPECT_EQ(table.count, 37u);
  // The text keeps the file's order, with the separators of the link parts
  // turned.
  std::string turned = file;
  for (std::size_t at = 0; at < turned.size(); at = turned.find('\n', at) + 1) {
    std::size_t end = std::min(turned.find('>', at), turned.find('\n', at));
    for (std::size_t i = at; i < end && i < turned.size(); ++i)
      if (turned[i] == '\\') turned[i] = '/';
    if (turned.find('\n', at) == std::string::npos) break;
  }
  EXPECT_EQ(textOf(table), turned);
  EXPECT_EQ(fake.openFiles(), 0u);
  EXPECT_EQ(fake.liveBlocks(), 2u);  // the table's text and records
}

// Keys are views into one text: the bytes after the shorter key belong to
// the next line and must not decide.
TEST(IndexSorting, AKeyThatBeginsALongerOneSortsFirst) {
  const std::string text = "ABZ";
  const std::string_view shorter = std::string_view(text).substr(0, 2);
  EXPECT_TRUE(keyLess(shorter, "ABC"));
  EXPECT_FALSE(keyLess("ABC", shorter));
  EXPECT_TRUE(keyLess("abc", "ABD"));
  EXPECT_FALSE(keyLess("ABC", "abc"));
}

// Random index texts of few letters, ">", "<", CR, LF and tabs, against a
// plain stable sort of each line by its key: the bytes from its first ">"
// to its end, CR and one LF included, or none for a line without ">". Keys
// are read in place, where one key's end is the next line's start.
TEST(IndexSorting, InPlaceKeysOrderLikeWholeKeys) {
  const char alphabet[] = {'a', 'A', 'b', '>', '<', '\r', '\n', '\t', 'Z'};
  std::uint64_t state = 7;
  auto next = [&](std::uint32_t bound) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state >> 33) % bound;
  };
  for (int round = 0; round < 300; ++round) {
    std::string text;
    const std::uint32_t length = 1 + next(60);
    for (std::uint32_t i = 0; i < length; ++i) text += alphabet[next(sizeof alphabet)];
    std::vector<std::string> lines;
    for (Cursor line(text.data(), static_cast<std::uint32_t>(text.size())); !line.atEnd();) {
      Cursor after = line;
      nextLine(after);
      lines.emplace_back(line.position, after.position);
      line = after;
    }
    auto keyOf = [](const std::string& line) {
      const std::size_t close = line.find('>');
      return close == std::string::npos ? std::string() : line.substr(close + 1);
    };
    std::vector<std::string> expected = lines;
    std::stable_sort(expected.begin(), expected.end(), [&](const std::string& a, const std::string& b) {
      return keyLess(keyOf(a), keyOf(b));
    });
    std::string joined;
    for (const std::string& line : expected) joined += line;
    FakePlatform fake;
    OutputFiles outputs(fake);
    fake.addFile("pirVex/f_ndx.htm", text);
    IndexTable table;
    ASSERT_EQ(sortIndex(outputs, ProcedureIndexName, table), IndexSort::Sorted);
    // The sort turns "\\" into "/" before the name; the alphabet has none.
    ASSERT_EQ(fake.fileText("pirVex/f_ndx.htm"), joined) << ::testing::PrintToString(text);
    ASSERT_EQ(sortedLines(table), joined);
  }
}

// A missing or empty index is no failure (a project without structures
// still gets its see-also links); one that is there but cannot be read is.
TEST(IndexSorting, MissingOrEmptyIndexIsAbsentAnUnreadableOneFails) {
  FakePlatform fake;
  OutputFiles outputs(fake);
  IndexTable table;
  EXPECT_EQ(sortIndex(outputs, StructureIndexName, table), IndexSort::Absent);
  fake.addFile("pirVex/s_ndx.htm", "");
  EXPECT_EQ(sortIndex(outputs, StructureIndexName, table), IndexSort::Absent);
  EXPECT_EQ(table.count, 0u);
  EXPECT_EQ(fake.fileText("pirVex/s_ndx.htm"), "");
  // A read that brings no byte of a one-byte index leaves nothing to sort.
  fake.addFile("pirVex/f_ndx.htm", "x");
  fake.failFile(FileService::ReadBytes, "pirVEX\\f_ndx.htm");
  EXPECT_EQ(sortIndex(outputs, ProcedureIndexName, table), IndexSort::Failed);
  fake.failFile(FileService::OpenForReading, "pirVEX\\f_ndx.htm", 0);
  EXPECT_EQ(sortIndex(outputs, ProcedureIndexName, table), IndexSort::Failed);
  EXPECT_EQ(table.count, 0u);
  EXPECT_EQ(fake.liveBlocks(), 0u);
}

TEST(SeeAlsoItems, NamesAndSeparatorRunsEndWithinTheText) {
  // Each text counts only its first `size` bytes; the bytes after them
  // would change the answer if they were looked at.
  struct Case {
    std::string text;
    std::uint32_t size;
    std::uint32_t length;
  };
  const Case names[] = {{"ReadLine<BR>", 12, 8}, {"Read\tLine", 9, 4}, {"A,B", 3, 1},
                        {"Dual. x", 7, 5},       {"ABC", 2, 2},        {"", 0, 0}};
  for (const Case& c : names) EXPECT_EQ(itemNameLength(c.text.data(), c.size), c.length) << c.text;
  const Case runs[] = {
      {", \t\r\nX", 6, 5},
      {"<BR>\r\n<LI>Name", 14, 10},
      {"</UL>", 5, 0},
      {", </UL>", 7, 2},
      {"<b", 2, 2},
      {"<b>x", 2, 2},
      {"</UL>", 3, 3},
      {", ,", 2, 2},
      {"<i>,<B>\t</B>x", 13, 12},
      {"x", 1, 0},
      {"</UL x", 6, 0},  // the list ends at "</UL" whatever follows it
  };
  for (const Case& c : runs)
    EXPECT_EQ(separatorRun(c.text.data(), c.size), c.length) << c.text.substr(0, c.size);
}

// Index files as a run leaves them: a procedure and a structure share the
// name Dual; WriteLine is a structure on an included file's page.
void addIndexes(FakePlatform& fake) {
  fake.addFile("pirVex/f_ndx.htm", indexLine("demo.HTM", "ReadLine") +
                                       indexLine("demo.HTM", "Dual") +
                                       indexLine("sub\\o.HTM", "Other") +
                                       indexLine("gone.HTM", "Gone") + indexLine("done.HTM", "X"));
  fake.addFile("pirVex/s_ndx.htm",
               indexLine("s.HTM", "Dual") + indexLine("a\\b\\types_inc.HTM", "WriteLine"));
}

TEST(SeeAlsoLinks, NamesInEveryListOfAPageBecomeLinksWithItsPrefix) {
  FakePlatform fake;
  OutputFiles outputs(fake);
  addIndexes(fake);
  IndexTable procedures, structures;
  ASSERT_EQ(sortIndex(outputs, ProcedureIndexName, procedures), IndexSort::Sorted);
  ASSERT_EQ(sortIndex(outputs, StructureIndexName, structures), IndexSort::Sorted);
  std::string text =
      "<HTML>\r\n"
      "<B>see:</B>\r\n<UL>\r\n<LI> \tReadLine, WriteLine\r\n<LI>Missing\tDual.\tDual<BR>\r\n"
      "</UL>\r\nReadLine\r\n"
      "<B>see:</B>\r\n<UL>\r\n<LI>WriteLine<i>x</i>ReadLine</UL>after "
      "<B>see:</B>\r\n<UL>\r\n<LI>\t Nope, Dual, ReadLine";
  {
    const EntryLookup entries(fake, procedures, structures);
    ASSERT_TRUE(rewritePage(outputs, entries, "x\\y/z.HTM", text.data(),
                            static_cast<std::uint32_t>(text.size())));
  }
  const std::string readLine = link("../../demo.HTM", "ReadLine");
  const std::string dual = link("../../demo.HTM", "Dual");
  const std::string writeLine = link("../../a/b/types_inc.HTM", "WriteLine");
  EXPECT_EQ(fake.fileText("pirVex/x/y/z.HTM"),
            "<html>\r\n<B>see:</B>\r\n<UL>\r\n<LI>" + readLine + ", " + writeLine +
                "\r\n<LI>Missing\tDual.\t" + dual + "<BR>\r\n</UL>\r\nReadLine\r\n" +
                "<B>see:</B>\r\n<UL>\r\n<LI>" + writeLine + "<i>x</i>" + readLine +
                "</UL>after <B>see:</B>\r\n<UL>\r\n<LI>Nope, " + dual + ", " + readLine);
  EXPECT_EQ(fake.openFiles(), 0u);
  EXPECT_EQ(fake.liveBlocks(), 4u);  // the two tables

  std::string page = "<HTML>";
  fake.failFile(FileService::CreateFileAnew, "pirVex\\top.HTM");
  const EntryLookup entries(fake, procedures, structures);
  EXPECT_FALSE(rewritePage(outputs, entries, "top.HTM", page.data(), 6));
  EXPECT_FALSE(fake.hasFile("pirVex/top.HTM"));
}

// A page this run wrote is rewritten over itself, from its first list on;
// where blanks after a list's opening would make it shorter, it is created
// anew. Both give the same bytes as a page made from nothing.
TEST(SeeAlsoLinks, APageThisRunWroteIsRewrittenInPlaceUnlessItWouldShrink) {
  const std::string before = "<HTML>\r\nhead ReadLine\r\n";
  const std::string list = "<B>see:</B>\r\n<UL>\r\n<LI>";
  for (const std::string blanks : {"", " \t"}) {
    SCOPED_TRACE("blanks: '" + blanks + "'");
    FakePlatform fake;
    OutputFiles outputs(fake);
    addIndexes(fake);
    IndexTable procedures, structures;
    ASSERT_EQ(sortIndex(outputs, ProcedureIndexName, procedures), IndexSort::Sorted);
    ASSERT_EQ(sortIndex(outputs, StructureIndexName, structures), IndexSort::Sorted);
    std::string text = before + list + blanks + "Missing, ReadLine</UL>tail " + list + "Nope";
    platform::File page = outputs.create("pirVex\\sub\\p.HTM");
    fake.writeText(page, text);
    outputs.close(page, "pirVex\\sub\\p.HTM");
    platform::FileIdentity written, rewritten;
    ASSERT_TRUE(fake.fileIdentityByName("pirVex\\sub\\p.HTM", written));
    {
      const EntryLookup entries(fake, procedures, structures);
      ASSERT_TRUE(rewritePage(outputs, entries, "sub\\p.HTM", text.data(),
                              static_cast<std::uint32_t>(text.size())));
    }
    EXPECT_EQ(fake.fileText("pirVex/sub/p.HTM"),
              "<html>\r\nhead ReadLine\r\n" + list + "Missing, " +
                  link("../demo.HTM", "ReadLine") + "</UL>tail " + list + "Nope");
    ASSERT_TRUE(fake.fileIdentityByName("pirVex\\sub\\p.HTM", rewritten));
    EXPECT_EQ(written == rewritten, blanks.empty());
    EXPECT_EQ(fake.openFiles(), 0u);
    EXPECT_FALSE(outputs.anyUnwritten());
  }
}

TEST(SeeAlsoLinks, EveryPageThatTheProcedureIndexNamesIsRewrittenOnce) {
  const std::string list = "<B>see:</B>\r\n<UL>\r\n<LI>ReadLine, Other</UL>";
  FakePlatform fake;
  OutputFiles outputs(fake);
  addIndexes(fake);
  fake.addFile("pirVex/demo.HTM", "<HTML>" + list);
  fake.addFile("pirVex/sub/o.HTM", "<HTML>" + list);
  fake.addFile("pirVex/done.HTM", "<html>" + list);
  fake.addFile("pirVex/s.HTM", "<HTML>" + list);
  IndexTable procedures, structures;
  ASSERT_EQ(sortIndex(outputs, ProcedureIndexName, procedures), IndexSort::Sorted);
  ASSERT_EQ(sortIndex(outputs, StructureIndexName, structures), IndexSort::Sorted);
  linkSeeAlso(outputs, procedures, structures);
  auto rewritten = [](std::string_view prefix) {
    return "<html><B>see:</B>\r\n<UL>\r\n<LI>" +
           link(std::string(prefix) + "demo.HTM", "ReadLine") + ", " +
           link(std::string(prefix) + "sub/o.HTM", "Other") + "</UL>";
  };
  EXPECT_EQ(fake.fileText("pirVex/demo.HTM"), rewritten(""));
  EXPECT_EQ(fake.fileText("pirVex/sub/o.HTM"), rewritten("../"));
  EXPECT_EQ(fake.fileText("pirVex/done.HTM"), "<html>" + list);
  EXPECT_EQ(fake.fileText("pirVex/s.HTM"), "<HTML>" + list);
  EXPECT_FALSE(fake.hasFile("pirVex/gone.HTM"));
  EXPECT_EQ(fake.openFiles(), 0u);
  EXPECT_EQ(fake.liveBlocks(), 4u);  // the two tables, nothing of the pass
  EXPECT_EQ(fake.misuses(), 0u);
}

// Lines left from an earlier run may name anything: only pages inside the
// output directory are rewritten, and a line without a page path names none.
TEST(SeeAlsoLinks, LinesOutsideTheOutputDirectoryOrWithoutAPagePathArePassedOver) {
  const std::string page = "<HTML><B>see:</B>\r\n<UL>\r\n<LI>S</UL>";
  FakePlatform fake;
  OutputFiles outputs(fake);
  fake.addFile("pirVex/f_ndx.htm", "<A HREF=\"#p.HTM#x\" TARGET=\"main\">x</A><BR>\r\n"
                                   "no quote#p.HTM\r\n<A HREF=\"p.HTM no hash\r\n" +
                                       indexLine("..\\out.HTM", "Other") +
                                       indexLine("a\\..\\..\\out.HTM", "Other") +
                                       indexLine("a/../in.HTM", "Other") +
                                       "<A HREF=\"p.HTM");  // the last line, and no "#" in it
  fake.addFile("pirVex/s_ndx.htm", indexLine("in.HTM", "S"));
  for (const char* file : {"pirVex/#p.HTM", "pirVex/p.HTM", "out.HTM", "pirVex/in.HTM"})
    fake.addFile(file, page);
  IndexTable procedures, structures;
  ASSERT_EQ(sortIndex(outputs, ProcedureIndexName, procedures), IndexSort::Sorted);
  ASSERT_EQ(sortIndex(outputs, StructureIndexName, structures), IndexSort::Sorted);
  linkSeeAlso(outputs, procedures, structures);
  for (const char* file : {"pirVex/#p.HTM", "pirVex/p.HTM", "out.HTM"})
    EXPECT_EQ(fake.fileText(file), page) << file;
  EXPECT_EQ(fake.fileText("pirVex/in.HTM"),
            "<html><B>see:</B>\r\n<UL>\r\n<LI>" + link("../../in.HTM", "S") + "</UL>");
  EXPECT_FALSE(outputs.anyUnwritten());
}

TEST(SeeAlsoLinks, InsideTheOutputDirectoryAsText) {
  for (const char* inside : {"p.HTM", "a\\p.HTM", "a/../p.HTM", ".//a\\.\\p.HTM", "/etc/p",
                             "a\\..\\..\\pirVex\\p.HTM"})
    EXPECT_TRUE(insideOutputDirectory(inside)) << inside;
  for (const char* outside : {"", ".", "a\\..", "..\\p.HTM", "\\..\\p.HTM", "a/../../p.HTM",
                              "..\\..\\pirVex\\p.HTM", "..\\pirVEX\\p.HTM"})
    EXPECT_FALSE(insideOutputDirectory(outside)) << outside;
}

// Sections for the index files that this run opened only, each copied whole
// after its sort through the handle that wrote it, in pieces of 4 KiB.
TEST(NavigationPage, SectionsOfTheIndexesThisRunOpened) {
  auto run = [](int procedureCount, int structureCount) {
    FakePlatform fake;
    fake.addFile("pirVex/f_ndx.htm", "left from an earlier run\r\n");
    fake.addFile("pirVex/s_ndx.htm", "left from an earlier run\r\n");
    {
      platform::BufferedPlatform buffered(fake);
      OutputFiles bufferedOutputs(buffered);
      IndexFile procedures(bufferedOutputs, ProcedureIndexName);
      IndexFile structures(bufferedOutputs, StructureIndexName);
      for (int i = procedureCount - 1; i >= 0; --i)
        procedures.addEntry("page.HTM", "P" + std::to_string(1000 + i));
      for (int i = 0; i < structureCount; ++i)
        structures.addEntry("s\\t.HTM", "S" + std::to_string(i));
      IndexTable table;
      if (procedureCount) {
        EXPECT_EQ(sortIndex(bufferedOutputs, ProcedureIndexName, table), IndexSort::Sorted);
      }
      writeNavigationPage(bufferedOutputs, procedures, structures);
      procedures.close();
      structures.close();
    }
    EXPECT_EQ(fake.openFiles(), 0u);
    EXPECT_EQ(fake.liveBlocks(), 0u);
    return fake.fileText("pirVex/ndx.htm");
  };
  std::string sorted;
  for (int i = 0; i < 200; ++i) sorted += indexLine("page.HTM", "P" + std::to_string(1000 + i));
  ASSERT_GT(sorted.size(), 2u * 4096u);
  EXPECT_EQ(run(200, 0), navigation(sorted, ""));
  EXPECT_EQ(run(0, 2), navigation("", indexLine("s\\t.HTM", "S0") + indexLine("s\\t.HTM", "S1")));
  EXPECT_EQ(run(200, 1), navigation(sorted, indexLine("s\\t.HTM", "S0")));
  EXPECT_EQ(run(0, 0), "");
}

TEST(StartPage, FramesTheNavigationAndTheMainPage) {
  FakePlatform fake;
  OutputFiles outputs(fake);
  fake.addFile("pirVex/index.html", "an older start page that is longer than the new one");
  writeStartPage(outputs, "src\\demo", std::string_view("src\\demo.HTM\0x", 14));
  EXPECT_FALSE(outputs.anyUnwritten());
  EXPECT_EQ(fake.fileText("pirVex/index.html"), startPage("src\\demo", "src\\demo.HTM"));
  EXPECT_EQ(fake.openFiles(), 0u);

  FakePlatform failing;
  OutputFiles failingOutputs(failing);
  failing.failFile(FileService::CreateFileAnew, "pirVEX\\index.html");
  writeStartPage(failingOutputs, "demo", "demo.HTM");
  EXPECT_TRUE(failing.files().empty());
  EXPECT_EQ(failing.errors(), "pirVex\\index.htmlFehler : Ausgabedatei kann nicht geschrieben werden\r\n");
}

}  // namespace
}  // namespace pirvex::testing

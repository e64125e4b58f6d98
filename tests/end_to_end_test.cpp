// Whole runs of the built pirvex in a fresh directory, compared byte for
// byte: console from its second line on, and every file the run writes.
#include <gtest/gtest.h>

#include "support/expected.h"

namespace pirvex::testing {
namespace {

TEST(Console, NoArgumentPrintsUsageAndCreatesNothing) {
  Workspace workspace;
  int exitCode = -1;
  std::string output = workspace.runRaw({}, exitCode);
  EXPECT_EQ(exitCode, 0);
  ASSERT_NE(output.find("\r\n"), std::string::npos);
  std::string banner = output.substr(0, output.find("\r\n") + 2);
  EXPECT_EQ(banner.substr(0, 7), "pirVex ");
  EXPECT_EQ(output.substr(banner.size()), "Usage  : pirVex Dateiname.ext\r\n");
  EXPECT_TRUE(workspace.files().empty());
  EXPECT_EQ(workspace.run({"-p"}), "Usage  : pirVex Dateiname.ext\r\n");
}

TEST(Console, FailuresBeforeThePassEndWithTheGeneralError) {
  Workspace workspace;
  EXPECT_EQ(workspace.run({"demo"}), GeneralError);
  EXPECT_EQ(workspace.run({"missing.asm"}),
            "missing.asmFehler : Quelldatei kann nicht geoeffnet werden\r\n" + GeneralError);
  workspace.write("empty.asm", "");
  EXPECT_EQ(workspace.run({"empty.asm"}), GeneralError);
  EXPECT_TRUE(workspace.files() == std::vector<std::string>{"empty.asm"});
}

TEST(Pages, WorkedExampleOfOneDocumentedProcedure) {
  Workspace workspace;
  workspace.write("demo.asm", crlf(";* Reads one line.\nFoo PROC\n  ret\nFoo ENDP\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm",
                 "<A NAME=\"Foo\"></A>\n<B>Foo</B>\n<BR><BR>\nReads one line.\n"
                 "<BR>\nQuelle: demo.asm<BR><BR>\n"));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", "Foo"));
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation(indexLine("demo.HTM", "Foo"), ""));
  EXPECT_EQ(workspace.read("pirVex/index.html"), startPage("demo", "demo.HTM"));
}

TEST(Pages, NamesAsTypedGivePagePathsAndTitles) {
  Workspace workspace;
  workspace.write("my demo.asm", crlf("X PROC\n"));
  EXPECT_EQ(workspace.run({"my demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/my demo.HTM"),
            page("my demo: my demo.asm", heading("X") + sourceLine("my demo.asm")));
  EXPECT_EQ(workspace.read("pirVex/index.html"), startPage("my demo", "my demo.HTM"));

  workspace.write("src/main.s.asm", crlf("Y PROC\n"));
  EXPECT_EQ(workspace.run({"src\\main.s.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/src/main.s.HTM"),
            page("src\\main.s: src\\main.s.asm", heading("Y") + sourceLine("src\\main.s.asm")));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("src/main.s.HTM", "Y"));
  EXPECT_EQ(workspace.read("pirVex/index.html"), startPage("src\\main.s", "src\\main.s.HTM"));
}

TEST(Entries, PublicEntriesWithAndWithoutPublicOnly) {
  const std::string source = crlf(
      ";*@PUBLIC: Api\n;* Does things.\nImpl PROC\n ret\nImpl ENDP\n"
      ";* First.\n;* Second.\n;*@PUBLIC: Late\n;* Text.\nLater PROC\nLater ENDP\n"
      ";*@PUBLIC:\n;* Empty public.\nPlain PROC\nPlain ENDP\n"
      "Undoc PROC\nUndoc ENDP\n");
  Workspace workspace;
  workspace.write("demo.asm", source);
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(
      workspace.read("pirVex/demo.HTM"),
      page("demo: demo.asm",
           heading("Api") + "Private Name: Impl<BR><BR>\nDoes things.\n" + sourceLine("demo.asm") +
               "<HR>\n" + heading("Later") +
               "First.\nSecond.\n<BR><BR>\n<B>PUBLIC: Late</B>\n<UL>\n<LI>Text.\n</UL>\n" +
               sourceLine("demo.asm") + "<HR>\n" + heading("Plain") +
               "<BR><BR>\n<B>PUBLIC:</B>\n<UL>\n<LI>Empty public.\n</UL>\n" +
               sourceLine("demo.asm") + "<HR>\n" + heading("Undoc") + sourceLine("demo.asm")));
  const std::string allEntries = indexLine("demo.HTM", "Api") + indexLine("demo.HTM", "Later") +
                                 indexLine("demo.HTM", "Plain") + indexLine("demo.HTM", "Undoc");
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), allEntries);
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation(allEntries, ""));

  EXPECT_EQ(workspace.run({"-p", "demo.asm"}), Sorting + Finished);
  EXPECT_EQ(
      workspace.read("pirVex/demo.HTM"),
      page("demo: demo.asm", heading("Api") + "Does things.\n" + sourceLine("demo.asm") + "<HR>\n" +
                                 heading("Late") + "Text.\n" + sourceLine("demo.asm") + "<HR>\n" +
                                 heading("Plain") +
                                 "<BR><BR>\n<B>PUBLIC:</B>\n<UL>\n<LI>Empty public.\n</UL>\n" +
                                 sourceLine("demo.asm")));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", "Api") +
                                                    indexLine("demo.HTM", "Late") +
                                                    indexLine("demo.HTM", "Plain"));
}

TEST(Entries, LabelsEmptyLinesCommentsAndUndocumentedLines) {
  Workspace workspace;
  workspace.write("demo.asm",
                  crlf(";* Parses.\n; plain comment\nParse:\n  ret\n;* Orphan.\n\nLone PROC\n"
                       ";* Stopped.\nCOMMENT # x #\nAfter PROC\n"
                       "COMMENT # skipped # Foo PROC\n  call ProcessLine\nBar\tPROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm",
                 heading("Parse:") + "Parses.\n" + sourceLine("demo.asm") + "Orphan.\n" +
                     sourceLine("demo.asm") + "<HR>\n" + heading("Lone") + sourceLine("demo.asm") +
                     "Stopped.\n" + sourceLine("demo.asm") + "<HR>\n" + heading("After") +
                     sourceLine("demo.asm") + "<HR>\n" + heading("Foo") + sourceLine("demo.asm") +
                     "<HR>\n" + heading("call") + sourceLine("demo.asm")));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"),
            indexLine("demo.HTM", "After") + indexLine("demo.HTM", "call") +
                indexLine("demo.HTM", "Foo") + indexLine("demo.HTM", "Lone") +
                indexLine("demo.HTM", "Parse:"));
}

TEST(Entries, BlockAtTheEndOfTheFileGetsNoSourceLine) {
  Workspace workspace;
  workspace.write("demo.asm", crlf("X PROC\n;* Last words\n;*@Notes:\n;* one"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("X") + sourceLine("demo.asm") +
                                       "Last words\n<BR><BR>\n<B>Notes:</B>\n<UL>\n<LI>one\n"
                                       "</UL>\n"));
}

TEST(Entries, NothingDocumentedGivesEmptyNavigationAndAStartPage) {
  Workspace workspace;
  workspace.write("demo.asm", crlf("; only a comment\n  mov ax, bx\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.files(),
            (std::vector<std::string>{"demo.asm", "pirVex/index.html", "pirVex/ndx.htm"}));
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), "");
  EXPECT_EQ(workspace.read("pirVex/index.html"), startPage("demo", "demo.HTM"));
}

// The configured heading of one entry: the words pics\bar.gif, 600 with a
// tab after it, and 30.
std::string configured(std::string_view prefix, std::string_view name) {
  return "<table width=\"600\t \" border=\"1\"><tr><th height=\"30\" align=centre "
         "valign=\"bottom\" background=\"" +
         std::string(prefix) +
         "pics\\bar.gif \"><font color=\"#000000\" size=\"2\"><div "
         "style=\"position:relative; top:3px;\" align=\"bottom\">" +
         std::string(name) +
         "</div></font></tr><tr><td><table width=\"100%\" border=\"0\" BGCOLOR=\"#FFFFCC\">"
         "<tr><td colspan=\"2\">";
}

TEST(ConfigTab, StylesEntriesOnTheMainPageAndOneDirectoryDown) {
  const std::string source = crlf(
      ";*@config-tab: pics\\bar.gif   600\t 30\nFoo PROC\n;* Doc.\nBar PROC\n"
      ";*@CONFIG-TAB: a 1\nBaz PROC\n");
  auto expected = [](std::string_view prefix, std::string_view sourcePath) {
    return configured(prefix, "Foo") + heading("Foo") + sourceLine(sourcePath) +
           "</tr></table></tr></table><BR>" + configured(prefix, "Bar") + heading("Bar") +
           "Doc.\n" + sourceLine(sourcePath) + "<HR>\n" + heading("Baz") + sourceLine(sourcePath);
  };
  Workspace workspace;
  workspace.write("demo.asm", source);
  workspace.write("src/demo.asm", source);
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"), page("demo: demo.asm", expected("", "demo.asm")));
  EXPECT_EQ(workspace.run({"src\\demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/src/demo.HTM"),
            page("src\\demo: src\\demo.asm", expected("../", "src\\demo.asm")));
}

TEST(ConfigTab, SwitchedOffTheFirstSeparatorAfterIsARule) {
  Workspace workspace;
  workspace.write("demo.asm", crlf("A PROC\n;*@CONFIG-TAB: b.gif 1 2\n;*@CONFIG-TAB:\nC PROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("A") + sourceLine("demo.asm") + "<HR>\n" + heading("C") +
                                       sourceLine("demo.asm")));
}

TEST(Pages, DirectoryPartsStayAsTyped) {
  Workspace workspace;
  workspace.write("src/demo.asm", crlf("X PROC\n"));
  workspace.write("src/demo", crlf("Y PROC\n"));
  workspace.write("work/x.", crlf("Z PROC\n"));
  EXPECT_EQ(workspace.run({"..\\src\\demo.asm"}, "work"), Sorting + Finished);
  EXPECT_EQ(
      workspace.read("work/src/demo.HTM"),
      page("..\\src\\demo: ..\\src\\demo.asm", heading("X") + sourceLine("..\\src\\demo.asm")));
  EXPECT_EQ(workspace.read("work/pirVex/index.html"),
            startPage("..\\src\\demo", "..\\src\\demo.HTM"));

  EXPECT_EQ(workspace.run({"..\\src\\demo"}, "work"), Sorting + Finished);
  EXPECT_EQ(workspace.read("work/pirVex/..HTM"),
            page(".: ..\\src\\demo", heading("Y") + sourceLine("..\\src\\demo")));
  EXPECT_EQ(workspace.read("work/pirVex/index.html"), startPage(".", "..HTM"));

  EXPECT_EQ(workspace.run({"x."}, "work"), Sorting + Finished);
  EXPECT_EQ(workspace.read("work/pirVex/x.HTM"), page("x: x.", heading("Z") + sourceLine("x.")));

  EXPECT_EQ(workspace.run({"x.\t-p"}, "work"), cannotOpen("x.\t-p") + GeneralError);
}

}  // namespace
}  // namespace pirvex::testing

// Structures, sorted indexes and see-also links, run end to end.
#include <gtest/gtest.h>

#include "support/expected.h"

namespace pirvex::testing {
namespace {

TEST(Structures, TableWithCommentsDupAndEnds) {
  Workspace workspace;
  workspace.write("demo.asm",
                  crlf("POINT STRUC\n  x dd 0 ; horizontal\n  buf db 16 DUP (?)\n"
                       "  ; a comment\n\n  ;* doc\n  COMMENT # skipped\n row # y dw\n"
                       "  deep db 2 dup ((1)) <>\n  open db 3 Dup ( 7, 8\n  none db 4 DUP\n"
                       "  one\n  two words\n  a<b> c&d e>f\nPOINT ENDS\n"
                       "tab\tSTRUC\nFRIENDS struct\n  friends db 0\n  never db 1\n"));
  EXPECT_EQ(workspace.run({"-p", "demo.asm"}), Sorting + Finished);
  EXPECT_EQ(
      workspace.read("pirVex/demo.HTM"),
      page("demo: demo.asm",
           "<A NAME=\"POINT\"></A>\n<table border=\"1\">\n <tr><th colspan=\"3\">POINT</th></tr>\n"
           "<tr><td>x</td><td>dd</td><td>0</td></tr>"
           "<tr><td>buf</td><td>16*db</td><td>?</td></tr>"
           "<tr><td>y</td><td>dw</td><td></td></tr>"
           "<tr><td>deep</td><td>2*db</td><td>(1</td></tr>"
           "<tr><td>open</td><td>3*db</td><td>7, 8</td></tr>"
           "<tr><td>none</td><td>4*db</td><td></td></tr>"
           "<tr><td>one</td><td></td><td></td></tr>"
           "<tr><td>two</td><td>words</td><td></td></tr>"
           "<tr><td>a<b></td><td>c&d</td><td>e>f</td></tr>"
           "</table>\n<BR><BR>\n"
           "<HR>\n<A NAME=\"FRIENDS\"></A>\n<table border=\"1\">\n <tr><th "
           "colspan=\"3\">FRIENDS</th></tr>\n"
           "</table>\n<BR><BR>\n"));
  // No procedure index: the structure index keeps its entry order.
  EXPECT_EQ(workspace.read("pirVex/s_ndx.htm"),
            indexLine("demo.HTM", "POINT") + indexLine("demo.HTM", "FRIENDS"));
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"),
            navigation("", indexLine("demo.HTM", "POINT") + indexLine("demo.HTM", "FRIENDS")));
}

TEST(Structures, BlockAboveAStructureIsClosedBeforeIt) {
  Workspace workspace;
  workspace.write("src/s.asm",
                  crlf(";* A buffer.\nZED STRUC\n a db 1\nZED ENDS\nALPHA STRUC\nALPHA ENDS\n"));
  EXPECT_EQ(workspace.run({"src\\s.asm"}), Sorting + Finished);
  EXPECT_EQ(
      workspace.read("pirVex/src/s.HTM"),
      page("src\\s: src\\s.asm", "A buffer.\n" + sourceLine("src\\s.asm") + "<HR>\n" +
                                     structure("ZED", "<tr><td>a</td><td>db</td><td>1</td></tr>") +
                                     "<HR>\n" + structure("ALPHA")));
  const std::string entryOrder = indexLine("src\\s.HTM", "ZED") + indexLine("src\\s.HTM", "ALPHA");
  EXPECT_EQ(workspace.read("pirVex/s_ndx.htm"), entryOrder);
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation("", entryOrder));
}

TEST(Sorting, FoldedNamesPrefixesAndStableTies) {
  Workspace workspace;
  workspace.write("sub/demo.asm",
                  crlf("Read PROC\nReadA PROC\nRead_x PROC\nRead2 PROC\nbeta PROC\nAlpha PROC\n"
                       "GAMMA PROC\n_under PROC\n@at PROC\n1st PROC\nInit PROC\nINIT PROC\n"
                       "\x84rger PROC\nx\\y PROC\nS1 STRUC\nS1 ENDS\ninit PROC\nBETA PROC\n"
                       "iNiT PROC\nbEtA PROC\n"));
  EXPECT_EQ(workspace.run({"sub\\demo.asm"}), Sorting + Linking + Finished);
  std::string sorted;
  // Eighteen lines: above sixteen, only a stable sort keeps ties in entry
  // order.
  for (const char* name :
       {"1st", "@at", "Alpha", "beta", "BETA", "bEtA", "GAMMA", "Init", "INIT", "init", "iNiT",
        "Read2", "Read", "ReadA", "Read_x", "_under", "\x84rger"})
    sorted += indexLine("sub/demo.HTM", name);
  // Up to the first ">" every "\\" becomes "/", the name in the link too.
  sorted.insert(sorted.find(indexLine("sub/demo.HTM", "_under")),
                "<A HREF=\"sub/demo.HTM#x/y\" TARGET=\"main\">x\\y</A><BR>\r\n");
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), sorted);
  EXPECT_EQ(workspace.read("pirVex/s_ndx.htm"), indexLine("sub/demo.HTM", "S1"));
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation(sorted, indexLine("sub/demo.HTM", "S1")));
  // Rewritten by the see-also pass: only the mark changes, and the escaped
  // anchor stands beside the unescaped index line.
  std::string page = workspace.read("pirVex/sub/demo.HTM");
  EXPECT_EQ(page.substr(0, 6), "<html>");
  EXPECT_NE(page.find("<A NAME=\"&auml;rger\"></A>"), std::string::npos);
}

TEST(SeeAlso, SectionRenderingWithoutLinks) {
  // No structure index: the see-also pass does not run and the section
  // stays as rendered.
  Workspace workspace;
  workspace.write("demo.asm",
                  crlf(";* Reads a line.\n;*@see:\n;* ReadChar\n;* Parse\n;*@ Other \n;*@\n;*\n"
                       ";* <b>x</b> & \x94\n;*@See:\n;* Parse\nReadLine PROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm",
                 heading("ReadLine") +
                     "Reads a line.\n<BR><BR>\n<B>see:</B>\n<UL>\n<LI>ReadChar\n<LI>Parse\n"
                     "</UL>\n<B> Other</B>\n<UL>\n<LI><b>x</b> & &ouml;\n"
                     "</UL>\n<B>See:</B>\n<UL>\n<LI>Parse\n</UL>\n" +
                     sourceLine("demo.asm")));
}

TEST(SeeAlso, LinksAcrossPagesWithRelativePrefixes) {
  Workspace workspace;
  workspace.write("demo.asm",
                  crlf(";* Reads a line.\n;*@see:\n;*   ReadLine, WriteLine\n;* Missing\n"
                       ";*@see:\n;* Dual.\n;* Dual\n;* Gr\x94\xE1"
                       "e\nReadLine PROC\n"
                       "Dual PROC\nDual STRUC\nDual ENDS\n  INCLUDE a\\b\\types.inc\n"
                       "Gr\x94\xE1"
                       "e PROC\n"));
  workspace.write(
      "a/b/types.inc",
      crlf("WriteLine STRUC\n  len db ?\nWriteLine ENDS\n;*@see: \n;*   ReadLine\nOther PROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm",
                 heading("ReadLine") + "Reads a line.\n<BR><BR>\n<B>see:</B>\n<UL>\n<LI>" +
                     link("demo.HTM", "ReadLine") + ", " + link("a/b/types_inc.HTM", "WriteLine") +
                     "\n<LI>Missing\n</UL>\n<B>see:</B>\n<UL>\n<LI>Dual.\n<LI>" +
                     link("demo.HTM", "Dual") + "\n<LI>Gr&ouml;&szlig;e\n</UL>\n" +
                     sourceLine("demo.asm") + "<HR>\n" + heading("Dual") + sourceLine("demo.asm") +
                     "<HR>\n" + structure("Dual") + "<HR>\n" + heading("Gr&ouml;&szlig;e") +
                     sourceLine("demo.asm"),
                 true));
  EXPECT_EQ(
      workspace.read("pirVex/a/b/types_inc.HTM"),
      page("demo: a\\b\\types.inc",
           structure("WriteLine", "<tr><td>len</td><td>db</td><td>?</td></tr>") + "<HR>\n" +
               heading("Other") + "<BR><BR>\n<B>see:</B>\n<UL>\n<LI>" +
               link("../../demo.HTM", "ReadLine") + "\n</UL>\n" + sourceLine("a\\b\\types.inc"),
           true));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", "Dual") +
                                                    indexLine("demo.HTM",
                                                              "Gr\x94\xE1"
                                                              "e") +
                                                    indexLine("a/b/types_inc.HTM", "Other") +
                                                    indexLine("demo.HTM", "ReadLine"));
  EXPECT_EQ(workspace.read("pirVex/s_ndx.htm"),
            indexLine("demo.HTM", "Dual") + indexLine("a/b/types_inc.HTM", "WriteLine"));
}

TEST(SeeAlso, IndexLeftFromAnEarlierRunTakesPart) {
  Workspace workspace;
  workspace.write("pirVex/s_ndx.htm",
                  indexLine("old\\p.HTM", "Zeta") + indexLine("old\\p.HTM", "Old"));
  workspace.write("demo.asm", crlf(";*@see:\n;* Old\nP PROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/s_ndx.htm"),
            indexLine("old/p.HTM", "Old") + indexLine("old/p.HTM", "Zeta"));
  // Only indexes written by this run have a section.
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation(indexLine("demo.HTM", "P"), ""));
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm",
                 heading("P") + "<BR><BR>\n<B>see:</B>\n<UL>\n<LI>" + link("old/p.HTM", "Old") +
                     "\n</UL>\n" + sourceLine("demo.asm"),
                 true));
}

TEST(SeeAlso, GarbageIndexLinesNeverTouchOtherFiles) {
  Workspace workspace;
  const std::string source = crlf(";*@see:\n;* x\nP PROC\n");
  workspace.write("demo.asm", source);
  workspace.write("victim.txt", "<HTMX> precious");
  workspace.write("pirVex/s_ndx.htm",
                  std::string("no quote\r\n<A HREF=\"nohash\r\n\">\r\n\x01\xFF\0\">x<\r\n", 37) +
                      indexLine("..\\victim.txt", "x") + indexLine("..\\demo.asm", "y") + "tail");
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("victim.txt"), "<HTMX> precious");
  EXPECT_EQ(workspace.read("demo.asm"), source);
}

}  // namespace
}  // namespace pirvex::testing

// INCLUDE directives, run end to end.
#include <gtest/gtest.h>

#include "support/expected.h"

namespace pirvex::testing {
namespace {

TEST(Includes, NamesAreRelativeToTheCurrentDirectory) {
  Workspace workspace;
  workspace.write("src/main.asm", crlf("  INCLUDE defs.inc\nMain PROC\n"));
  workspace.write("src/defs.inc", crlf("Wrong PROC\n"));
  workspace.write("defs.inc", crlf(";* Def.\nDef PROC\n"));
  EXPECT_EQ(workspace.run({"src\\main.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/defs_inc.HTM"),
            page("src\\main: defs.inc", heading("Def") + "Def.\n" + sourceLine("defs.inc")));
  EXPECT_EQ(workspace.read("pirVex/src/main.HTM"),
            page("src\\main: src\\main.asm", heading("Main") + sourceLine("src\\main.asm")));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"),
            indexLine("defs_inc.HTM", "Def") + indexLine("src/main.HTM", "Main"));
}

TEST(Includes, ClimbingPathsStayInsideTheOutputDirectory) {
  Workspace workspace;
  workspace.write("work/main.asm", crlf("include ..\\Lib\\IO.inc\n"));
  workspace.write("lib/io.inc", crlf("Io PROC\n"));
  EXPECT_EQ(workspace.run({"main.asm"}, "work"), Sorting + Finished);
  EXPECT_EQ(workspace.read("work/pirVex/BackLinks_/Lib/IO_inc.HTM"),
            page("main: ..\\Lib\\IO.inc", heading("Io") + sourceLine("..\\Lib\\IO.inc")));
  EXPECT_EQ(workspace.read("work/pirVex/f_ndx.htm"), indexLine("BackLinks_/Lib/IO_inc.HTM", "Io"));
  EXPECT_FALSE(workspace.exists("work/pirVex/main.HTM"));
  EXPECT_EQ(workspace.read("work/pirVex/index.html"), startPage("main", "main.HTM"));
}

TEST(Includes, OperandFormsLibrariesAndFilesThatGiveNothing) {
  Workspace workspace;
  workspace.write("demo.asm",
                  crlf("INCLUDE \"defs.inc\"\nINCLUDE \" my defs.inc\"\ninclude_path equ 5\n"
                       "INCLUDELIB kernel32.lib\n  IncludeLib user32.lib\nINCLUDE missing.inc\n"
                       "INCLUDE empty.inc\nINCLUDE defs.inc\n"));
  workspace.write("defs.inc", crlf("D PROC\n"));
  workspace.write("empty.inc", "");
  EXPECT_EQ(workspace.run({"demo.asm"}),
            cannotOpen("my") + cannotOpen("path") + cannotOpen("missing.inc") + Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/defs_inc.HTM"),
            page("demo: defs.inc", heading("D") + sourceLine("defs.inc")));
  // Included twice: processed twice.
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"),
            indexLine("defs_inc.HTM", "D") + indexLine("defs_inc.HTM", "D"));
  EXPECT_EQ(workspace.files(),
            (std::vector<std::string>{"defs.inc", "demo.asm", "empty.inc", "pirVex/defs_inc.HTM",
                                      "pirVex/f_ndx.htm", "pirVex/index.html", "pirVex/ndx.htm"}));
}

TEST(Includes, NestedFilesEachGetACompletePageInEntryOrder) {
  Workspace workspace;
  workspace.write("demo.asm", crlf("SA STRUC\nSA ENDS\nINCLUDE b.inc\nSA2 STRUC\nSA2 ENDS\n"));
  workspace.write("b.inc", crlf("SB STRUC\nSB ENDS\n INCLUDE c.inc\nSB2 STRUC\nSB2 ENDS\n"));
  workspace.write("c.inc", crlf("SC STRUC\nSC ENDS\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", structure("SA") + "<HR>\n" + structure("SA2")));
  EXPECT_EQ(workspace.read("pirVex/b_inc.HTM"),
            page("demo: b.inc", structure("SB") + "<HR>\n" + structure("SB2")));
  EXPECT_EQ(workspace.read("pirVex/c_inc.HTM"), page("demo: c.inc", structure("SC")));
  EXPECT_EQ(workspace.read("pirVex/s_ndx.htm"),
            indexLine("demo.HTM", "SA") + indexLine("b_inc.HTM", "SB") +
                indexLine("c_inc.HTM", "SC") + indexLine("b_inc.HTM", "SB2") +
                indexLine("demo.HTM", "SA2"));
}

TEST(Includes, IncludingFileGoesOnWithItsOwnStateAndTheNewConfiguration) {
  Workspace workspace;
  workspace.write(
      "demo.asm",
      crlf(";* Intro\n;*@Notes:\n;* item\n  INCLUDE inner.inc\n;* After.\nLater PROC\n"));
  workspace.write("inner.inc", crlf("Inner PROC\n;*@CONFIG-TAB: b.gif 10 20\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(
      workspace.read("pirVex/demo.HTM"),
      page("demo: demo.asm",
           "Intro\n<BR><BR>\n<B>Notes:</B>\n<UL>\n<LI>item\n</UL>\n" + sourceLine("demo.asm") +
               "</tr></table></tr></table><BR><table width=\"10 \" border=\"1\"><tr><th "
               "height=\"20\" align=centre valign=\"bottom\" background=\"b.gif \"><font "
               "color=\"#000000\" size=\"2\"><div style=\"position:relative; top:3px;\" "
               "align=\"bottom\">Later</div></font></tr><tr><td><table width=\"100%\" "
               "border=\"0\" BGCOLOR=\"#FFFFCC\"><tr><td colspan=\"2\">" +
               heading("Later") + "After.\n" + sourceLine("demo.asm")));
  EXPECT_EQ(workspace.read("pirVex/inner_inc.HTM"),
            page("demo: inner.inc", heading("Inner") + sourceLine("inner.inc")));
}

TEST(Includes, CyclesAreReportedAndSkipped) {
  Workspace workspace;
  workspace.write("demo.asm", crlf("INCLUDE demo.asm\nINCLUDE a.inc\nX PROC\n"));
  workspace.write("a.inc", crlf("A PROC\nINCLUDE b.inc\n"));
  workspace.write("b.inc", crlf("INCLUDE a.inc\nINCLUDE DEMO.ASM\nB PROC\nINCLUDE c.inc\n"));
  workspace.write("c.inc", crlf("C PROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), "demo.asm" + Recursive + "a.inc" + Recursive + "DEMO.ASM" +
                                             Recursive + Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"),
            indexLine("a_inc.HTM", "A") + indexLine("b_inc.HTM", "B") +
                indexLine("c_inc.HTM", "C") + indexLine("demo.HTM", "X"));
  EXPECT_EQ(workspace.read("pirVex/b_inc.HTM"),
            page("demo: b.inc", heading("B") + sourceLine("b.inc")));
}

}  // namespace
}  // namespace pirvex::testing

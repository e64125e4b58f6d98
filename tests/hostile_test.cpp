// Hostile sources and hostile output directories, run end to end: the run
// ends as it should, without a crash, and never harms a file it should not.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

#include "support/expected.h"
#include "support/in_process.h"

namespace pirvex::testing {
namespace {

namespace fs = std::filesystem;

TEST(Hostile, TwentyMegabyteLines) {
  Workspace workspace;
  const std::string huge(20 * 1024 * 1024, 'a');
  workspace.write("demo.asm",
                  crlf("X PROC\n") + huge + crlf("\n;* tail\n;*") + huge + crlf("\nY PROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("X") + sourceLine("demo.asm") + "<HR>\n" + heading("Y") +
                                       "tail\n" + huge + "\n" + sourceLine("demo.asm"),
                 true));
}

TEST(Hostile, IncludeChainFiveHundredDeep) {
  Workspace workspace;
  const int depth = 500;
  workspace.write("demo.asm", crlf("Main PROC\nINCLUDE f0.inc\n"));
  std::vector<std::string> lines{"Main</A><BR>\r\n" + indexLine("demo.HTM", "Main")};
  for (int i = 0; i < depth; ++i) {
    std::string name = "P" + std::to_string(i);
    std::string next = i + 1 < depth ? "INCLUDE f" + std::to_string(i + 1) + ".inc\n" : "";
    workspace.write("f" + std::to_string(i) + ".inc", crlf(name + " PROC\n" + next));
    lines.push_back(name + "</A><BR>\r\n" + indexLine("f" + std::to_string(i) + "_inc.HTM", name));
  }
  std::sort(lines.begin(), lines.end());  // by key: the name and what follows it
  std::string sorted;
  for (const std::string& line : lines) sorted += line.substr(line.find("\r\n") + 2);
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), sorted);
  EXPECT_EQ(workspace.read("pirVex/f499_inc.HTM"),
            page("demo: f499.inc", heading("P499") + sourceLine("f499.inc"), true));
}

TEST(Hostile, TenThousandByteNames) {
  Workspace workspace;
  const std::string longName(10000, 'N');
  workspace.write("demo.asm", crlf("INCLUDE " + longName + "\n" + longName + " PROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), cannotOpen(longName) + Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", longName));
  RunResult missing = workspace.execute({longName + ".asm"});
  EXPECT_EQ(afterBanner(missing.console), cannotOpen(longName + ".asm") + GeneralError);
  EXPECT_EQ(missing.status, 1);
}

TEST(Hostile, PagesTwoHundredDirectoriesDeep) {
  Workspace workspace;
  std::string directory, windowsDirectory, upLevels;
  for (int i = 0; i < 200; ++i) {
    directory += "d/";
    windowsDirectory += "d\\";
    upLevels += "../";
  }
  workspace.write("demo.asm", crlf(";*@CONFIG-TAB: i.gif 1 2\nMain PROC\nINCLUDE " +
                                   windowsDirectory + "x.inc\nS STRUC\nS ENDS\n"));
  workspace.write(directory + "x.inc", crlf(";*@see:\n;* Main\nDeep PROC\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Linking + Finished);
  const std::string config =
      "<table width=\"1 \" border=\"1\"><tr><th height=\"2\" align=centre valign=\"bottom\" "
      "background=\"" +
      upLevels +
      "i.gif \"><font color=\"#000000\" size=\"2\"><div "
      "style=\"position:relative; top:3px;\" align=\"bottom\">Deep</div></font></tr><tr><td>"
      "<table width=\"100%\" border=\"0\" BGCOLOR=\"#FFFFCC\"><tr><td colspan=\"2\">";
  EXPECT_EQ(workspace.read("pirVex/" + directory + "x_inc.HTM"),
            page("demo: " + windowsDirectory + "x.inc",
                 config + heading("Deep") + "<BR><BR>\n<B>see:</B>\n<UL>\n<LI>" +
                     link(upLevels + "demo.HTM", "Main") + "\n</UL>\n" +
                     sourceLine(windowsDirectory + "x.inc"),
                 true));
}

TEST(Hostile, PlantedLinksAreReplacedNeverWrittenThrough) {
  Workspace workspace;
  workspace.write("demo.asm", crlf("X PROC\n"));
  workspace.write("victim.txt", "keep me");
  fs::create_directories(workspace.path() / "pirVex");
  for (const char* planted : {"demo.HTM", "f_ndx.htm", "ndx.htm", "index.html", "s_ndx.htm"})
    fs::create_symlink("../victim.txt", workspace.path() / "pirVex" / planted);
  // The structure index is not written by this run: the file it links to
  // takes part in the sort as one left from an earlier run, and is then
  // replaced by a file of its own.
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("victim.txt"), "keep me");
  for (const char* planted : {"demo.HTM", "f_ndx.htm", "ndx.htm", "index.html", "s_ndx.htm"})
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(workspace.path() / "pirVex" / planted)));
  EXPECT_EQ(workspace.read("pirVex/s_ndx.htm"), "keep me");
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("X") + sourceLine("demo.asm"), true));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", "X"));
  EXPECT_EQ(workspace.read("pirVex/index.html"), startPage("demo", "demo.HTM"));
}

TEST(Hostile, OutputDirectoryThatCannotBeWritten) {
  Workspace workspace;
  workspace.write("demo.asm", crlf("X PROC\nS STRUC\nS ENDS\n"));
  workspace.write("pirVex", "a file");
  RunResult blocked = workspace.execute({"demo.asm"});
  EXPECT_EQ(afterBanner(blocked.console), Sorting + Finished);
  EXPECT_EQ(blocked.errors, unwritten("pirVex\\demo.HTM") + unwritten("pirVex\\f_ndx.htm") +
                                unwritten("pirVex\\s_ndx.htm") + unwritten("pirVex\\ndx.htm") +
                                unwritten("pirVex\\index.html"));
  EXPECT_EQ(blocked.status, 1);
  EXPECT_EQ(workspace.read("pirVex"), "a file");

  Workspace locked;
  locked.write("demo.asm", crlf("X PROC\n"));
  fs::create_directories(locked.path() / "pirVex");
  fs::permissions(locked.path(), fs::perms::owner_all | fs::perms::group_read |
                                     fs::perms::group_exec | fs::perms::others_read |
                                     fs::perms::others_exec);
  fs::permissions(locked.path() / "pirVex", fs::perms::owner_read | fs::perms::owner_exec |
                                                fs::perms::group_read | fs::perms::group_exec |
                                                fs::perms::others_read | fs::perms::others_exec);
  RunOptions asNobody;
  asNobody.user = ::geteuid() == 0 ? 65534 : -1;
  RunResult denied = locked.execute({"demo.asm"}, asNobody);
  EXPECT_EQ(afterBanner(denied.console), Sorting + Finished);
  EXPECT_EQ(denied.errors, unwritten("pirVex\\demo.HTM") + unwritten("pirVex\\f_ndx.htm") +
                               unwritten("pirVex\\ndx.htm") + unwritten("pirVex\\index.html"));
  EXPECT_EQ(denied.status, 1);
  EXPECT_TRUE(locked.files() == std::vector<std::string>{"demo.asm"});
  fs::permissions(locked.path() / "pirVex", fs::perms::owner_all);
}

TEST(Hostile, SourceThatIsADirectory) {
  Workspace workspace;
  fs::create_directories(workspace.path() / "src.asm");
  RunResult directory = workspace.execute({"src.asm"});
  EXPECT_EQ(afterBanner(directory.console), cannotOpen("src.asm") + GeneralError);
  EXPECT_EQ(directory.status, 1);
  workspace.write("demo.asm", crlf("INCLUDE src.asm\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), cannotOpen("src.asm") + Sorting + Finished);
}

TEST(Hostile, GarbageIndexFilesFromAnEarlierRun) {
  Workspace workspace;
  workspace.write("demo.asm", crlf(";*@see:\n;* x\nS STRUC\nS ENDS\n"));
  const std::string noGreaterThan = "zz no gt\r\n";
  const std::string binary = "\x01\xFF>b\\c\r\n";
  const std::string tail = "tail-no-line-end>\\q";
  workspace.write("pirVex/f_ndx.htm", indexLine("x\\y.HTM", "N") + binary + noGreaterThan + tail);
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"),
            noGreaterThan + binary + indexLine("x/y.HTM", "N") + tail);
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation("", indexLine("demo.HTM", "S")));

  std::string everyByte;
  for (int byte = 0; byte < 256; ++byte) everyByte += static_cast<char>(byte);
  workspace.write("pirVex/s_ndx.htm", everyByte + everyByte);
  workspace.write("procs.asm", crlf(";*@see:\n;* a, \x01\nP PROC\n"));
  EXPECT_EQ(workspace.run({"procs.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/procs.HTM").substr(0, 6), "<html>");
}

}  // namespace
}  // namespace pirvex::testing

// The bundled example project, documented and link-checked.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/expected.h"
#include "support/link_check.h"

namespace pirvex::testing {
namespace {

TEST(Example, EveryLinkReachesAnExistingAnchor) {
  Workspace workspace;
  std::filesystem::copy(PIRVEX_EXAMPLE_DIR, workspace.path() / "project",
                        std::filesystem::copy_options::recursive);
  std::filesystem::remove_all(workspace.path() / "project" / "pirVex");
  EXPECT_EQ(workspace.run({"main.asm"}, "project"), Sorting + Linking + Finished);
  LinkReport report = checkLinks(workspace.path() / "project" / "pirVex");
  EXPECT_GE(report.linksChecked, 10u);
  EXPECT_TRUE(report.broken.empty()) << ::testing::PrintToString(report.broken);
}

TEST(LinkCheck, FindsMissingPagesAndAnchors) {
  Workspace workspace;
  workspace.write("out/a.HTM", "<A NAME=\"Here\"></A><A HREF=\"sub/b.HTM#There\">x</A>");
  workspace.write("out/sub/b.HTM",
                  "<A HREF=\"../a.HTM#Here\"></A><A HREF=\"../a.HTM#Gone\"></A>"
                  "<A HREF=\"none.HTM#x\"></A><A NAME=\"t\tab\"></A><A NAME=\"x\\y\"></A>");
  workspace.write("out/p<q#.HTM", "");
  // Frames count, "\\" separates as "/" does in a path but not in an
  // anchor name, "%09" is a tab, and a path's escapes name its bytes.
  workspace.write("out/index.html", "<frame src=\"sub\\b.HTM\"><frame src=\"gone.HTM\">"
                                    "<A HREF=\"sub/b.HTM#t%09ab\"><A HREF=\"sub/b.HTM#t\tab\">"
                                    "<A HREF=\"sub\\b.HTM#x\\y\"><A HREF=\"sub/b.HTM#x/y\">"
                                    "<frame src=\"p%3Cq%23.HTM\">");
  LinkReport report = checkLinks(workspace.path() / "out");
  EXPECT_EQ(report.linksChecked, 11u);
  std::sort(report.broken.begin(), report.broken.end());
  EXPECT_EQ(report.broken,
            (std::vector<std::string>{"a.HTM: sub/b.HTM#There", "index.html: gone.HTM",
                                      "index.html: sub/b.HTM#t\tab", "index.html: sub/b.HTM#x/y",
                                      "sub/b.HTM: ../a.HTM#Gone", "sub/b.HTM: none.HTM#x"}));
}

}  // namespace
}  // namespace pirvex::testing

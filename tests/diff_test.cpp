// The failure report of the cases: the line diff and the tree comparison
// that a failing case prints.
#include "support/diff.h"

#include <gtest/gtest.h>

#include "support/cases.h"

namespace pirvex::testing {
namespace {

TEST(Diff, HunksWithThreeLinesOfContextAndVisibleBytes) {
  EXPECT_EQ(unifiedDiff("same\n", "same\n"), "");
  const std::string expected = "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13\n14\n15\n16\n";
  std::string actual = expected;
  actual.replace(actual.find("2\n"), 2, "2\r\n");               // line 2 gains a CR
  actual.replace(actual.find("\n15\n"), 4, "\n15\n\tx\x84\n");  // a line after 15
  EXPECT_EQ(unifiedDiff(expected, actual, "a", "b"),
            "--- a\n+++ b\n"
            "@@ -1,5 +1,5 @@\n 1\n-2\n+2\\r\n 3\n 4\n 5\n"
            "@@ -13,4 +13,5 @@\n 13\n 14\n 15\n+\\tx\\x84\n 16\n");
  // Changes six unchanged lines apart share one hunk.
  EXPECT_EQ(unifiedDiff("a\n1\n2\n3\n4\n5\n6\nb\n", "A\n1\n2\n3\n4\n5\n6\nB\n"),
            "--- expected\n+++ actual\n@@ -1,8 +1,8 @@\n-a\n+A\n 1\n 2\n 3\n 4\n 5\n 6\n-b\n+B\n");
}

TEST(Diff, LastLinesWithoutLineEndAndEmptyTexts) {
  EXPECT_EQ(
      unifiedDiff("x\ny", "x\ny\n"),
      "--- expected\n+++ actual\n@@ -1,2 +1,2 @@\n x\n-y\n\\ No newline at end of file\n+y\n");
  EXPECT_EQ(unifiedDiff("", std::string_view("\0\n", 2), "e", "a"),
            std::string("--- e\n+++ a\n@@ -0,0 +1,1 @@\n+\\0\n"));
  EXPECT_EQ(unifiedDiff("gone\n", ""), "--- expected\n+++ actual\n@@ -1,1 +0,0 @@\n-gone\n");
}

TEST(Diff, CaseReportNamesMissingChangedAndUnexpectedFiles) {
  Case expected;
  expected.console = "Info\r\n";
  expected.input = {{"demo.asm", "X PROC\r\n"}, {"kept.inc", "k"}};
  expected.output = {{"pirVex/demo.HTM", "page\n"}, {"pirVex/ndx.htm", ""}};
  EXPECT_EQ(caseDifferences(expected, "Info\r\n", "", 0, expected.expectedTree()), "");
  FileTree after = expected.expectedTree();
  after.erase("kept.inc");
  after["pirVex/demo.HTM"] = "Page\n";
  after["pirVex/stray\t.htm"] = "";
  EXPECT_EQ(caseDifferences(expected, "Info\n", "pirVex\\x\r\n", 1, after),
            "--- console (expected)\n+++ console (actual)\n@@ -1,1 +1,1 @@\n-Info\\r\n+Info\n"
            "--- standard error (expected)\n+++ standard error (actual)\n"
            "@@ -0,0 +1,1 @@\n+pirVex\\x\\r\n"
            "exit status 1, expected 0\n"
            "--- pirVex/demo.HTM (expected)\n+++ pirVex/demo.HTM (actual)\n"
            "@@ -1,1 +1,1 @@\n-page\n+Page\n"
            "missing files:\n  kept.inc\nunexpected files:\n  pirVex/stray\\t.htm\n");
}

}  // namespace
}  // namespace pirvex::testing

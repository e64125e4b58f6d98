// Every place where memory, a file creation, an open or a read can fail,
// made to fail on purpose in an in-process run.
#include <gtest/gtest.h>

#include "platform/platform.h"
#include "support/expected.h"
#include "support/in_process.h"

namespace pirvex::testing {
namespace {

using platform::Service;

class Faults : public ::testing::Test {
 protected:
  void TearDown() override { platform::clearFaults(); }

  std::string runWithFault(Service service, unsigned n,
                           const std::string& line = "pirvex demo.asm") {
    platform::failNthCall(service, n);
    std::string console = runInProcess(workspace, line);
    platform::clearFaults();
    return console;
  }

  Workspace workspace;
};

TEST_F(Faults, SourceBufferMissingDocumentsNothing) {
  workspace.write("demo.asm", crlf("X PROC\n"));
  EXPECT_EQ(runWithFault(Service::ObtainMemory, 1), Sorting + Finished);
  EXPECT_EQ(workspace.files(),
            (std::vector<std::string>{"demo.asm", "pirVex/index.html", "pirVex/ndx.htm"}));
}

TEST_F(Faults, SortMemoryMissingLeavesTheIndexInEntryOrder) {
  workspace.write("demo.asm", crlf("Y PROC\nX PROC\n"));
  const std::string entryOrder = indexLine("demo.HTM", "Y") + indexLine("demo.HTM", "X");
  for (unsigned n : {2u, 3u}) {  // the index text, then its records
    EXPECT_EQ(runWithFault(Service::ObtainMemory, n), Sorting + Finished);
    EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), entryOrder);
    EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation(entryOrder, ""));
  }
  // The navigation page's copy buffer.
  EXPECT_EQ(runWithFault(Service::ObtainMemory, 4), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"),
            "Prozeduren:\r\n<table cellpadding=\"5\"><tr><td><td></tr></table>");
}

TEST_F(Faults, IncludeWithoutMemoryForTheSavedStateIsPassedOver) {
  workspace.write("demo.asm", crlf("INCLUDE a.inc\nX PROC\n"));
  workspace.write("a.inc", crlf("A PROC\n"));
  EXPECT_EQ(runWithFault(Service::ObtainMemory, 2), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", "X"));
  EXPECT_FALSE(workspace.exists("pirVex/a_inc.HTM"));
}

TEST_F(Faults, TextWithoutScratchMemoryIsWrittenUnescaped) {
  workspace.write("demo.asm", crlf(";* Gr\x94\xE1"
                                   "e\nX PROC\n"));
  EXPECT_EQ(runWithFault(Service::ObtainMemory, 2), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"), page("demo: demo.asm", heading("X") +
                                                                          "Gr\x94\xE1"
                                                                          "e\n" +
                                                                          sourceLine("demo.asm")));
}

TEST_F(Faults, PageWithoutMemoryForItsRewriteStaysAsItWas) {
  workspace.write("demo.asm", crlf("X PROC\nS STRUC\nS ENDS\n"));
  const std::string body = heading("X") + sourceLine("demo.asm") + "<HR>\n" + structure("S");
  // Memory: source, index texts and records, the name look-up's keys and
  // slots, the page.
  EXPECT_EQ(runWithFault(Service::ObtainMemory, 8), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"), page("demo: demo.asm", body));
  EXPECT_EQ(runWithFault(Service::ObtainMemory, 99), Sorting + Linking + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"), page("demo: demo.asm", body, true));
}

TEST_F(Faults, NameLookupWithoutMemoryScansTheTablesInstead) {
  workspace.write("demo.asm", crlf(";*@see:\n;* S, X\nX PROC\nS STRUC\nS ENDS\n"));
  for (unsigned n : {6u, 7u}) {
    EXPECT_EQ(runWithFault(Service::ObtainMemory, n), Sorting + Linking + Finished);
    EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
              page("demo: demo.asm",
                   heading("X") + "<BR><BR>\n<B>see:</B>\n<UL>\n<LI>" + link("demo.HTM", "S") +
                       ", " + link("demo.HTM", "X") + "\n</UL>\n" + sourceLine("demo.asm") +
                       "<HR>\n" + structure("S"),
                   true));
  }
}

TEST_F(Faults, PageOrIndexThatCannotBeCreatedLosesItsWritesAndIsTriedAgain) {
  workspace.write("demo.asm", crlf("X PROC\nY PROC\n"));
  EXPECT_EQ(runWithFault(Service::CreateFileAnew, 1), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("Y") + sourceLine("demo.asm")));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"),
            indexLine("demo.HTM", "X") + indexLine("demo.HTM", "Y"));

  EXPECT_EQ(runWithFault(Service::CreateFileAnew, 2), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("X") + sourceLine("demo.asm") + "<HR>\n" + heading("Y") +
                                       sourceLine("demo.asm")));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", "Y"));
}

TEST_F(Faults, SortedIndexThatCannotBeWrittenStillFeedsTheNavigationPage) {
  workspace.write("demo.asm", crlf("Y PROC\nX PROC\n"));
  // Creations: page, index, sorted index, navigation page, start page.
  EXPECT_EQ(runWithFault(Service::CreateFileAnew, 3), Sorting + Finished);
  const std::string entryOrder = indexLine("demo.HTM", "Y") + indexLine("demo.HTM", "X");
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), entryOrder);
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation(entryOrder, ""));

  EXPECT_EQ(runWithFault(Service::CreateFileAnew, 5), Sorting + Finished);
  EXPECT_FALSE(workspace.exists("pirVex/index.html"));
}

TEST_F(Faults, SourcesThatCannotBeOpenedSizedOrReadWhole) {
  workspace.write("demo.asm", crlf("X PROC\nY PROC\n"));
  EXPECT_EQ(runWithFault(Service::OpenForReading, 1), cannotOpen("demo.asm") + GeneralError);
  EXPECT_EQ(runWithFault(Service::FileSizeByName, 1), cannotOpen("demo.asm") + GeneralError);
  EXPECT_FALSE(workspace.exists("pirVex"));
  // A short read: the pass walks the bytes it got.
  EXPECT_EQ(runWithFault(Service::ReadBytes, 1), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", "X"));
}

TEST_F(Faults, EveryFailurePointEndsTheRunCleanly) {
  const std::string mainSource = crlf(
      ";*@CONFIG-TAB: b.gif 1 2\n;* Gr\x94\xE1"
      "e\n;*@see:\n;* B, S\nA PROC\n"
      "INCLUDE sub\\b.inc\nS STRUC\n x db 2 DUP (?)\nS ENDS\n;*@PUBLIC: P\nQ:\n");
  const std::string included = crlf(";*@see:\n;* A\nB PROC\nT STRUC\nT ENDS\nINCLUDE sub\\b.inc\n");
  workspace.write("demo.asm", mainSource);
  workspace.write("sub/b.inc", included);
  for (int service = 0; service < static_cast<int>(Service::Count); ++service) {
    for (unsigned n = 1; n <= 40; ++n) {
      std::string console = runWithFault(static_cast<Service>(service), n);
      bool ended = console.ends_with(Finished) || console.ends_with(GeneralError);
      EXPECT_TRUE(ended) << "service " << service << " call " << n << ": " << console;
      EXPECT_EQ(workspace.read("demo.asm"), mainSource);
      EXPECT_EQ(workspace.read("sub/b.inc"), included);
    }
  }
}

}  // namespace
}  // namespace pirvex::testing

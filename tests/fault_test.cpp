// Every place where memory, a file creation, an open, a size or a read can
// fail, made to fail on purpose in an in-process run over the fake
// platform. Places are named by what they are for, so each test keeps
// hitting what it names when the code around it changes.
#include <gtest/gtest.h>

#include "support/expected.h"
#include "support/in_process.h"

namespace pirvex::testing {
namespace {

class Faults : public ::testing::Test {
 protected:
  std::string run(const std::vector<std::string>& arguments = {"demo.asm"}) {
    return runInProcess(fake, arguments, &status);
  }
  FakePlatform fake;
  int status = -1;
};

// The source is not walked, so its page is the empty one that the start
// page frames.
TEST_F(Faults, SourceBufferMissingDocumentsNothing) {
  fake.addFile("demo.asm", crlf("X PROC\n"));
  fake.failMemory(MemoryUse::SourceText, "demo.asm");
  EXPECT_EQ(run(), Sorting + Finished);
  EXPECT_EQ(fake.files(), (std::map<std::string, std::string>{
                              {"demo.asm", crlf("X PROC\n")},
                              {"pirVex/demo.HTM", page("demo: demo.asm", "")},
                              {"pirVex/index.html", startPage("demo", "demo.HTM")},
                              {"pirVex/ndx.htm", ""}}));
}

TEST_F(Faults, SortMemoryMissingLeavesTheIndexInEntryOrder) {
  const std::string entryOrder = indexLine("demo.HTM", "Y") + indexLine("demo.HTM", "X");
  for (MemoryUse use : {MemoryUse::IndexText, MemoryUse::IndexRecords}) {
    FakePlatform fresh;
    fresh.addFile("demo.asm", crlf("Y PROC\nX PROC\n"));
    fresh.failMemory(use, "pirVEX\\f_ndx.htm");
    EXPECT_EQ(runInProcess(fresh, {"demo.asm"}), Sorting + Finished);
    EXPECT_EQ(fresh.fileText("pirVex/f_ndx.htm"), entryOrder);
    EXPECT_EQ(fresh.fileText("pirVex/ndx.htm"), navigation(entryOrder, ""));
  }
}

TEST_F(Faults, NavigationPageWithoutItsCopyBufferHasEmptySections) {
  fake.addFile("demo.asm", crlf("Y PROC\nX PROC\n"));
  fake.failMemory(MemoryUse::NavigationCopy);
  EXPECT_EQ(run(), Sorting + Linking + Finished);
  EXPECT_EQ(fake.fileText("pirVex/ndx.htm"),
            "Prozeduren:\r\n<table cellpadding=\"5\"><tr><td><td></tr></table>");
}

TEST_F(Faults, IncludeWithoutMemoryForTheSavedStateIsPassedOver) {
  fake.addFile("demo.asm", crlf("INCLUDE a.inc\nX PROC\n"));
  fake.addFile("a.inc", crlf("A PROC\n"));
  fake.failMemory(MemoryUse::IncludeContext, "a.inc");
  EXPECT_EQ(run(), Sorting + Linking + Finished);
  EXPECT_EQ(fake.fileText("pirVex/f_ndx.htm"), indexLine("demo.HTM", "X"));
  EXPECT_FALSE(fake.hasFile("pirVex/a_inc.HTM"));
}

TEST_F(Faults, TextWithoutScratchMemoryIsWrittenUnescaped) {
  fake.addFile("demo.asm", crlf(";* Gr\x94\xE1"
                                "e\nX PROC\n"));
  fake.failMemory(MemoryUse::EscapeScratch);
  EXPECT_EQ(run(), Sorting + Linking + Finished);
  EXPECT_EQ(fake.fileText("pirVex/demo.HTM"), page("demo: demo.asm", heading("X") +
                                                                        "Gr\x94\xE1"
                                                                        "e\n" +
                                                                        sourceLine("demo.asm"),
                                                     true));
}

// Without memory for escaping, markup in a name is still kept out of its
// attribute and out of the text: only the umlauts stay as they are.
TEST_F(Faults, NamesWithoutScratchMemoryStillEscapeTheirMarkup) {
  fake.addFile("demo.asm", crlf(";*@PUBLIC: <A\"\x84>\nX PROC\n"));
  fake.failMemory(MemoryUse::EscapeScratch, {}, 0);
  EXPECT_EQ(run(), Sorting + Linking + Finished);
  EXPECT_EQ(fake.fileText("pirVex/demo.HTM"),
            page("demo: demo.asm", "<A NAME=\"&lt;A&quot;\x84&gt;\"></A>\n<B>&lt;A\"\x84&gt;</B>\n"
                                   "<BR><BR>\nPrivate Name: X<BR><BR>\n" +
                                       sourceLine("demo.asm"),
                 true));
  EXPECT_EQ(fake.fileText("pirVex/f_ndx.htm"),
            "<A HREF=\"demo.HTM#&lt;A&quot;\x84&gt;\" TARGET=\"main\">&lt;A\"\x84&gt;</A><BR>\r\n");
}

TEST_F(Faults, PageThatCannotBeReadBackStaysAsItWas) {
  const std::string body = heading("X") + sourceLine("demo.asm") + "<HR>\n" + structure("S");
  auto runFailing = [&](auto fail) {
    FakePlatform fresh;
    fresh.addFile("demo.asm", crlf("X PROC\nS STRUC\nS ENDS\n"));
    fail(fresh);
    EXPECT_EQ(runInProcess(fresh, {"demo.asm"}), Sorting + Linking + Finished);
    return fresh.fileText("pirVex/demo.HTM");
  };
  EXPECT_EQ(runFailing([](FakePlatform& f) { f.failMemory(MemoryUse::PageText, "pirVex\\demo.HTM"); }),
            page("demo: demo.asm", body));
  EXPECT_EQ(runFailing([](FakePlatform& f) {
              f.failFile(FileService::OpenForReading, "pirVex\\demo.HTM");
            }),
            page("demo: demo.asm", body));
  EXPECT_EQ(runFailing([](FakePlatform& f) {
              f.failFile(FileService::FileSize, "pirVex\\demo.HTM");
            }),
            page("demo: demo.asm", body));
  // The page this run wrote is rewritten over itself: where it cannot be
  // taken up again, it stays as the pass left it.
  EXPECT_EQ(runFailing([](FakePlatform& f) {
              f.failFile(FileService::OpenForWriting, "pirVex\\demo.HTM");
            }),
            page("demo: demo.asm", body));
  EXPECT_EQ(runFailing([](FakePlatform&) {}), page("demo: demo.asm", body, true));
}

TEST_F(Faults, NameLookupWithoutMemoryScansTheTablesInstead) {
  FakePlatform fresh;
  fresh.addFile("demo.asm", crlf(";*@see:\n;* S, X\nX PROC\nS STRUC\nS ENDS\n"));
  fresh.failMemory(MemoryUse::LookupSlots);
  EXPECT_EQ(runInProcess(fresh, {"demo.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(fresh.fileText("pirVex/demo.HTM"),
            page("demo: demo.asm",
                 heading("X") + "<BR><BR>\n<B>see:</B>\n<UL>\n<LI>" + link("demo.HTM", "S") +
                     ", " + link("demo.HTM", "X") + "\n</UL>\n" + sourceLine("demo.asm") +
                     "<HR>\n" + structure("S"),
                 true));
}

TEST_F(Faults, PageOrIndexThatCannotBeCreatedLosesItsWritesAndIsTriedAgain) {
  fake.addFile("demo.asm", crlf("X PROC\nY PROC\n"));
  fake.failFile(FileService::CreateFileAnew, "pirVex\\demo.HTM");
  EXPECT_EQ(run(), Sorting + Linking + Finished);
  EXPECT_EQ(fake.fileText("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("Y") + sourceLine("demo.asm"), true));
  EXPECT_EQ(fake.fileText("pirVex/f_ndx.htm"),
            indexLine("demo.HTM", "X") + indexLine("demo.HTM", "Y"));
  // The page was created at the second try, but what was meant for it
  // before is lost: the run says so.
  EXPECT_EQ(fake.errors(), unwritten("pirVex\\demo.HTM"));
  EXPECT_EQ(status, 1);

  FakePlatform index;
  index.addFile("demo.asm", crlf("X PROC\nY PROC\n"));
  index.failFile(FileService::CreateFileAnew, "pirVEX\\f_ndx.htm");
  int indexStatus = -1;
  EXPECT_EQ(runInProcess(index, {"demo.asm"}, &indexStatus), Sorting + Linking + Finished);
  EXPECT_EQ(index.errors(), unwritten("pirVex\\f_ndx.htm"));
  EXPECT_EQ(indexStatus, 1);
  EXPECT_EQ(index.fileText("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("X") + sourceLine("demo.asm") + "<HR>\n" +
                                       heading("Y") + sourceLine("demo.asm"),
                 true));
  EXPECT_EQ(index.fileText("pirVex/f_ndx.htm"), indexLine("demo.HTM", "Y"));
}

TEST_F(Faults, SortedIndexThatCannotBeWrittenStillFeedsTheNavigationPage) {
  fake.addFile("demo.asm", crlf("Y PROC\nX PROC\n"));
  // The index's second creation is the sorted one.
  fake.failFile(FileService::CreateFileAnew, "pirVEX\\f_ndx.htm", 2);
  EXPECT_EQ(run(), Sorting + Linking + Finished);
  EXPECT_EQ(fake.errors(), unwritten("pirVex\\f_ndx.htm"));
  EXPECT_EQ(status, 1);
  const std::string entryOrder = indexLine("demo.HTM", "Y") + indexLine("demo.HTM", "X");
  EXPECT_EQ(fake.fileText("pirVex/f_ndx.htm"), entryOrder);
  EXPECT_EQ(fake.fileText("pirVex/ndx.htm"), navigation(entryOrder, ""));

  FakePlatform start;
  start.addFile("demo.asm", crlf("Y PROC\nX PROC\n"));
  start.failFile(FileService::CreateFileAnew, "pirVEX\\index.html");
  int startStatus = -1;
  EXPECT_EQ(runInProcess(start, {"demo.asm"}, &startStatus), Sorting + Linking + Finished);
  EXPECT_FALSE(start.hasFile("pirVex/index.html"));
  EXPECT_EQ(start.errors(), unwritten("pirVex\\index.html"));
  EXPECT_EQ(startStatus, 1);
}

// A write that does not reach its file (a full disk) is no success: the
// file is named once on standard error and the run ends with status 1,
// whichever output file it was.
TEST_F(Faults, OutputThatCannotBeWrittenInFullIsNamedOnce) {
  const std::string source = crlf(";*@see:\n;* S\nX PROC\nY PROC\nS STRUC\nS ENDS\n");
  // A procedure index that lost its lines cannot be sorted: no see-also
  // links then. Without its structure index they are made all the same.
  const std::pair<std::string_view, std::string> files[] = {
      {"pirVex\\demo.HTM", Sorting + Linking + Finished},
      {"pirVex\\f_ndx.htm", Sorting + Finished},
      {"pirVex\\s_ndx.htm", Sorting + Linking + Finished},
      {"pirVex\\ndx.htm", Sorting + Linking + Finished},
      {"pirVex\\index.html", Sorting + Linking + Finished}};
  for (const auto& [file, console] : files) {
    FakePlatform full;
    full.addFile("demo.asm", source);
    full.failFile(FileService::WriteBytes, file, 0);
    int writeStatus = -1;
    EXPECT_EQ(runInProcess(full, {"demo.asm"}, &writeStatus), console) << file;
    EXPECT_EQ(full.errors(), unwritten(file)) << file;
    EXPECT_EQ(writeStatus, 1) << file;
  }
  fake.addFile("demo.asm", source);
  EXPECT_EQ(run(), Sorting + Linking + Finished);
  EXPECT_EQ(fake.errors(), "");
  EXPECT_EQ(status, 0);
}

TEST_F(Faults, SourcesThatCannotBeOpenedSizedOrReadWhole) {
  for (FileService service : {FileService::OpenForReading, FileService::FileSize}) {
    FakePlatform fresh;
    fresh.addFile("demo.asm", crlf("X PROC\nY PROC\n"));
    fresh.failFile(service, "demo.asm");
    EXPECT_EQ(runInProcess(fresh, {"demo.asm"}), cannotOpen("demo.asm") + GeneralError);
    EXPECT_FALSE(fresh.hasDirectory("pirVex"));
  }
  // A short read: the pass walks the bytes it got.
  fake.addFile("demo.asm", crlf("X PROC\nY PROC\n"));
  fake.failFile(FileService::ReadBytes, "demo.asm");
  EXPECT_EQ(run(), Sorting + Linking + Finished);
  EXPECT_EQ(fake.fileText("pirVex/f_ndx.htm"), indexLine("demo.HTM", "X"));
}

// Every place that a full run reaches, made to fail in turn: the run ends as
// it should, no source changes, and (checked by runInProcess) nothing stays
// open or held.
TEST_F(Faults, EveryFailurePointEndsTheRunCleanly) {
  const std::string mainSource = crlf(
      ";*@CONFIG-TAB: b.gif 1 2\n;* Gr\x94\xE1"
      "e\n;*@see:\n;* B, S\nA PROC\n"
      "INCLUDE sub\\b.inc\nS STRUC\n x db 2 DUP (?)\nS ENDS\n;*@PUBLIC: P\nQ:\n");
  const std::string included = crlf(";*@see:\n;* A\nB PROC\nT STRUC\nT ENDS\nINCLUDE sub\\b.inc\n");
  auto project = [&](FakePlatform& fresh) {
    fresh.addFile("demo.asm", mainSource);
    fresh.addFile("sub/b.inc", included);
  };
  // With the HTML5 site too: its pages, views and scripts are output files
  // like any other.
  for (const std::vector<std::string>& arguments :
       {std::vector<std::string>{"demo.asm"}, std::vector<std::string>{"demo.asm", "--html5"}}) {
  FakePlatform clean;
  project(clean);
  EXPECT_EQ(runInProcess(clean, arguments), "sub\\b.inc" + Recursive + Sorting +
                                                   Linking + Finished);
  const std::vector<FaultPoint> points = clean.pointsReached();
  EXPECT_GE(points.size(), arguments.size() == 1 ? 40u : 60u);
  for (const FaultPoint& point : points) {
    FakePlatform fresh;
    project(fresh);
    fresh.failAt(point);
    int pointStatus = -1;
    std::string console = runInProcess(fresh, arguments, &pointStatus);
    EXPECT_TRUE(console.ends_with(Finished) || console.ends_with(GeneralError))
        << point.describe() << ": " << console;
    // A run that reports no file ends with 0 only when it printed its
    // success line; one that names a file on standard error never does.
    EXPECT_EQ(pointStatus, console.ends_with(Finished) && fresh.errors().empty() ? 0 : 1)
        << point.describe() << ": " << fresh.errors();
    EXPECT_EQ(fresh.fileText("demo.asm"), mainSource) << point.describe();
    EXPECT_EQ(fresh.fileText("sub/b.inc"), included) << point.describe();
  }
  }
}

// A file of the site that cannot be written is named like any output file,
// and the classic pages are written all the same.
TEST_F(Faults, SiteFileThatCannotBeWrittenIsNamed) {
  const std::string source = crlf(";* Text.\nX PROC\n");
  for (const std::string_view file :
       {"pirVex\\html5\\demo.html", "pirVex\\html5\\index.html",
        "pirVex\\html5\\search-index.js", "pirVex\\html5\\site.css"}) {
    FakePlatform full;
    full.addFile("demo.asm", source);
    full.failFile(FileService::WriteBytes, file, 0);
    int writeStatus = -1;
    EXPECT_EQ(runInProcess(full, {"demo.asm", "--html5"}, &writeStatus), Sorting + Linking + Finished)
        << file;
    EXPECT_EQ(full.errors(), unwritten(file)) << file;
    EXPECT_EQ(writeStatus, 1) << file;
    FakePlatform classic;
    classic.addFile("demo.asm", source);
    (void)runInProcess(classic, {"demo.asm"});
    for (const auto& [path, bytes] : classic.files()) EXPECT_EQ(full.fileText(path), bytes) << path;
  }
}

}  // namespace
}  // namespace pirvex::testing

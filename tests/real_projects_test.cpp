// Sources written for the assemblers, not for pirVex: the costs and the
// command lines that the cases alone do not show.
#include <gtest/gtest.h>

#include <map>

#include "support/cases.h"
#include "support/expected.h"
#include "support/in_process.h"

namespace pirvex::testing {
namespace {

// How often each source was read from, by the read calls reached.
std::map<std::string, int> readsPerFile(const FakePlatform& fake) {
  std::map<std::string, int> reads;
  for (const FaultPoint& point : fake.pointsReached())
    if (!point.memory && point.service == FileService::ReadBytes && !point.name.starts_with("pirVex/"))
      ++reads[point.name];
  return reads;
}

std::map<std::string, int> readsOfGuardedHeaders(const std::vector<std::string>& arguments) {
  FakePlatform fake;
  for (const auto& [path, bytes] : loadCase("guarded_headers_strict").input) fake.addFile(path, bytes);
  (void)runInProcess(fake, arguments);
  return readsPerFile(fake);
}

// Headers guarded against a second pass and including each other are read
// once each when read as the assemblers read them, and again at every
// include otherwise.
TEST(Lenient, EachGuardedHeaderIsReadOnce) {
  const std::map<std::string, int> once = readsOfGuardedHeaders({"--lenient", "app.asm"});
  const std::map<std::string, int> single = readsOfGuardedHeaders({"inc/objbase.inc"});
  const int oneRead = single.begin()->second;  // the calls that read one whole file
  EXPECT_EQ(once, (std::map<std::string, int>{{"app.asm", oneRead},
                                              {"inc/objbase.inc", oneRead},
                                              {"inc/ole2.inc", oneRead},
                                              {"inc/winbase.inc", oneRead},
                                              {"inc/windows.inc", oneRead},
                                              {"inc/wingdi.inc", oneRead}}));
  const std::map<std::string, int> strict = readsOfGuardedHeaders({"app.asm"});
  EXPECT_GT(strict.at("inc/winbase.inc"), 5 * oneRead);
}

// A file included again through another name is the same file: it is
// passed over by identity, not by name.
TEST(Lenient, TheSameFileUnderAnotherNameIsPassedOver) {
  FakePlatform fake;
  fake.addFile("main.asm", crlf("\tinclude lib\\a.inc\n\tinclude LIB/./A.INC\n\tinclude x\\..\\lib\\a.inc\n"));
  fake.addFile("lib/a.inc", crlf(";* A.\nA PROC\n"));
  fake.addDirectory("x");
  EXPECT_EQ(runInProcess(fake, {"--lenient", "main.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(readsPerFile(fake).at("lib/a.inc"), readsPerFile(fake).at("main.asm"));
  EXPECT_EQ(fake.fileText("pirVex/f_ndx.htm"), indexLine("lib/a_inc.HTM", "A"));
}

// The including file's directory is searched with the separator its path
// uses, and a name from the root is never searched for.
TEST(IncludeDirectories, JoinedWithTheIncludingFilesSeparator) {
  FakePlatform fake;
  fake.addFile("src/main.asm", crlf("\tinclude a.inc\n\tinclude /b.inc\n"));
  fake.addFile("src/a.inc", crlf(";* A.\nA PROC\n"));
  fake.addFile("inc/b.inc", crlf(";* B.\nB PROC\n"));
  EXPECT_EQ(runInProcess(fake, {"src\\main.asm", "--include-dir=inc"}),
            cannotOpen("/b.inc") + Sorting + Linking + Finished);
  EXPECT_EQ(fake.fileText("pirVex/a_inc.HTM").find("Quelle: src\\a.inc<BR>") != std::string::npos,
            true);
}

// A whole identity costs a volume query on some systems: a run asks for
// none for the sources it reads, only where a file's index matches one it
// must be told apart from: each index file is sorted into itself while the
// handle that wrote it is open (two each), and the cycle back to main.asm
// (main.asm as the include names it, and as it was read).
TEST(Identities, NoneForASourceOnlyWhereIndexesAgree) {
  FakePlatform fake;
  fake.addFile("main.asm", crlf("\tinclude a.inc\n\tinclude b.inc\n;* M.\nM PROC\n"));
  fake.addFile("a.inc", crlf("\tinclude b.inc\n;* A.\nA PROC\n"));
  fake.addFile("b.inc", crlf(";* B.\nB PROC\nB STRUC\nB ENDS\n"));
  EXPECT_EQ(runInProcess(fake, {"main.asm"}), Sorting + Linking + Finished);
  EXPECT_EQ(fake.identityQueries(), 2u * 2) << "both indexes";

  FakePlatform cycle;
  cycle.addFile("main.asm", crlf("\tinclude a.inc\n;* M.\nM PROC\n"));
  cycle.addFile("a.inc", crlf("\tinclude main.asm\n"));
  EXPECT_EQ(runInProcess(cycle, {"main.asm"}), "main.asm" + Recursive + Sorting + Linking + Finished);
  EXPECT_EQ(cycle.identityQueries(), 2u + 2) << "main.asm twice, the index";
}

}  // namespace
}  // namespace pirvex::testing

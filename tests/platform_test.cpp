// The POSIX services, with the write buffering above them as main has it,
// behave as the Windows ones that the rest of pirVex was designed against.
#include "platform/posix_platform.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "platform/buffered_platform.h"
#include "platform/module_patterns.h"
#include "support/fake_platform.h"
#include "support/workspace.h"

namespace pirvex::testing {
namespace {

namespace fs = std::filesystem;
using namespace platform;

class Platform : public ::testing::Test {
 protected:
  void SetUp() override {
    previous = fs::current_path();
    fs::current_path(workspace.path());
  }
  void TearDown() override { fs::current_path(previous); }

  std::string readAll(File file, std::uint32_t offset = 0) {
    std::string text;
    char chunk[7];
    for (std::uint32_t got; (got = readBytesAt(file, offset, chunk, sizeof chunk)) != 0;
         offset += got)
      text.append(chunk, got);
    return text;
  }

  // The services as the tool sees them.
  File createFileAnew(std::string_view path) { return platform.createFileAnew(path); }
  File openForReading(std::string_view path) { return platform.openForReading(path); }
  // The size of the file that the name opens.
  bool sizeOfFile(std::string_view path, std::uint32_t& size) {
    File file = platform.openForReading(path);
    bool sized = file != NoFile && platform.fileSize(file, size);
    platform.closeFile(file);
    return sized;
  }
  std::uint32_t readBytes(File file, void* destination, std::uint32_t count) {
    return platform.readBytes(file, destination, count);
  }
  std::uint32_t readBytesAt(File file, std::uint32_t offset, void* destination,
                            std::uint32_t count) {
    return platform.readBytesAt(file, offset, destination, count);
  }
  void writeBytes(File file, std::string_view text) { platform.writeText(file, text); }
  void closeFile(File file) { platform.closeFile(file); }

  Workspace workspace;
  fs::path previous;
  PosixPlatform system;
  BufferedPlatform platform{system};
};

TEST_F(Platform, CreatingAnewMakesDirectoriesAndEmptiesTheOldFile) {
  workspace.write("pirVex/src/demo.HTM", "old content");
  File file = createFileAnew("pirVex\\src\\demo.HTM");
  ASSERT_NE(file, NoFile);
  closeFile(file);
  EXPECT_EQ(workspace.read("pirVex/src/demo.HTM"), "");
  File deeper = createFileAnew("pirVEX\\a/b\\c.htm");
  writeBytes(deeper, "x");
  closeFile(deeper);
  EXPECT_EQ(workspace.read("pirVex/a/b/c.htm"), "x");
  EXPECT_FALSE(workspace.exists("pirVEX"));
}

TEST_F(Platform, FileOpenTwiceSharesItsBytesAtOnce) {
  File writer = createFileAnew("pirVEX\\f_ndx.htm");
  writeBytes(writer, "first line\r\n");
  File reader = openForReading("pirVex\\f_ndx.htm");
  ASSERT_NE(reader, NoFile);
  EXPECT_EQ(readAll(reader), "first line\r\n");
  closeFile(reader);
  std::uint32_t size = 0;
  writeBytes(writer, "second\r\n");
  ASSERT_TRUE(sizeOfFile("pirVex\\f_ndx.htm", size));
  EXPECT_EQ(size, 20u);

  // Recreated while held open: emptied in place, and the first handle reads
  // what the second one wrote.
  File rewriter = createFileAnew("pirVex\\f_ndx.htm");
  ASSERT_NE(rewriter, NoFile);
  ASSERT_TRUE(sizeOfFile("pirVex\\f_ndx.htm", size));
  EXPECT_EQ(size, 0u);
  writeBytes(rewriter, "sorted\r\n");
  closeFile(rewriter);
  EXPECT_EQ(readAll(writer), "sorted\r\n");
  closeFile(writer);
}

// A page taken up again is written over, not emptied; a write at an offset
// comes after every byte written before it, and later writes follow it.
TEST_F(Platform, PageTakenUpAgainIsWrittenOverAtAnyOffset) {
  File page = createFileAnew("pirVex\\page.HTM");
  writeBytes(page, "<HTML>0123456789");
  closeFile(page);
  File again = platform.openForWriting("pirVex\\page.HTM", 10);
  ASSERT_NE(again, NoFile);
  writeBytes(again, "abcdefgh");
  platform.writeBytesAt(again, 0, "<html>", 6);
  writeBytes(again, "!");
  closeFile(again);
  EXPECT_EQ(workspace.read("pirVex/page.HTM"), "<html>!123abcdefgh");
}

TEST_F(Platform, TwoHandlesOfOneFileWriteInCallOrder) {
  File first = createFileAnew("page.HTM");
  writeBytes(first, "AAAA");
  File second = createFileAnew("page.HTM");  // emptied in place; `first` stays at offset 4
  writeBytes(second, "BB");
  writeBytes(first, "CC");
  writeBytes(second, "D");
  closeFile(first);
  closeFile(second);
  EXPECT_EQ(workspace.read("page.HTM"), std::string("BBD\0CC", 6));

  // Both handles write over the same bytes, and the later handle is closed
  // first: only bytes that reach the file in call order give "BBAA".
  File early = createFileAnew("same.HTM");
  File late = createFileAnew("same.HTM");
  writeBytes(early, "AAAA");
  writeBytes(late, "BB");
  closeFile(late);
  closeFile(early);
  EXPECT_EQ(workspace.read("same.HTM"), "BBAA");
}

TEST_F(Platform, SizesReadsAndMissingFiles) {
  std::uint32_t size = 99;
  EXPECT_FALSE(sizeOfFile("missing.asm", size));
  FileIdentity identity;
  EXPECT_FALSE(platform.fileIdentityByName("missing.asm", identity));
  EXPECT_EQ(openForReading("missing.asm"), NoFile);
  workspace.write("empty.asm", "");
  ASSERT_TRUE(sizeOfFile("empty.asm", size));
  EXPECT_EQ(size, 0u);
  workspace.write("dir.asm/x", "");
  EXPECT_EQ(openForReading("dir.asm"), NoFile);

  // An absolute name with "\\" separators, and one that begins with two.
  std::string absolute = (workspace.path() / "two.asm").string();
  std::replace(absolute.begin(), absolute.end(), '/', '\\');
  workspace.write("two.asm", "ab");
  ASSERT_TRUE(sizeOfFile(absolute, size));
  EXPECT_EQ(size, 2u);
  ASSERT_TRUE(sizeOfFile("\\" + absolute, size));
  File file = openForReading("two.asm");
  char bytes[4];
  EXPECT_EQ(readBytes(file, bytes, 4), 2u);
  EXPECT_EQ(readBytes(file, bytes, 4), 0u);
  closeFile(file);
}

TEST_F(Platform, NamesAreLookedUpWithoutRegardToCase) {
  workspace.write("Inc/DOSSYM.INC", "sym");
  workspace.write("inc/dossym.inc", "lower");
  workspace.write("only/Upper.Inc", "upper");
  File exact = openForReading("inc\\dossym.inc");
  EXPECT_EQ(readAll(exact), "lower");
  closeFile(exact);
  File folded = openForReading("INC\\DosSym.inc");  // first match in byte order: Inc, DOSSYM.INC
  EXPECT_EQ(readAll(folded), "sym");
  closeFile(folded);
  std::uint32_t size = 0;
  EXPECT_TRUE(sizeOfFile("ONLY\\upper.inc", size));
  EXPECT_EQ(size, 5u);

  // A directory listed once is listed anew after this run made a file in it.
  EXPECT_FALSE(sizeOfFile("only\\missing.inc", size));
  File made = createFileAnew("only\\Made.Inc");
  writeBytes(made, "made");
  closeFile(made);
  EXPECT_TRUE(sizeOfFile("ONLY\\MADE.INC", size));
  EXPECT_EQ(size, 4u);

  // A name that stands as written but cannot be opened (a link to itself)
  // is not looked up without regard to case.
  workspace.write("loop/DATA.INC", "data");
  fs::create_symlink("data.inc", "loop/data.inc");
  EXPECT_EQ(openForReading("loop\\data.inc"), NoFile);
}

TEST_F(Platform, PlantedLinkIsReplaced) {
  workspace.write("victim.txt", "keep");
  fs::create_directories("pirVex");
  fs::create_symlink("../victim.txt", "pirVex/page.HTM");
  File file = createFileAnew("pirVex\\page.HTM");
  ASSERT_NE(file, NoFile);
  writeBytes(file, "page");
  closeFile(file);
  EXPECT_EQ(workspace.read("victim.txt"), "keep");
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("pirVex/page.HTM")));
  EXPECT_EQ(workspace.read("pirVex/page.HTM"), "page");

  // A directory below the output directory that is a link is never
  // followed, also when the path reaches it after a climb that stays below.
  fs::create_directories("outside");
  fs::create_directories("pirVex/a");
  fs::create_symlink("../outside", "pirVex/s");
  EXPECT_EQ(createFileAnew("pirVex\\s\\x.HTM"), NoFile);
  EXPECT_EQ(createFileAnew("pirVex\\a\\..\\s\\x.HTM"), NoFile);
  EXPECT_TRUE(fs::is_empty("outside"));
}

// A listing gives every name with what it leads to and whether it is itself
// a link; the directories along its path, and those whose identity is
// asked for, are found as for a file to read: links followed, letter case
// ignored where a name does not exist as written.
TEST_F(Platform, DirectoriesAreListedAndKnownHoweverReached) {
  workspace.write("Tree/Sub/a.asm", "a");
  workspace.write("Tree/Sub/dir/x.inc", "");
  ASSERT_EQ(::mkfifo("Tree/Sub/pipe", 0600), 0);
  fs::create_symlink("a.asm", "Tree/Sub/to_file");
  fs::create_symlink("dir", "Tree/Sub/to_dir");
  fs::create_symlink("pipe", "Tree/Sub/to_pipe");
  fs::create_symlink("missing", "Tree/Sub/dangling");
  std::vector<DirectoryEntry> entries{{"stale", EntryKind::File, false}};
  ASSERT_TRUE(platform.listDirectory("tree\\SUB", entries));
  std::map<std::string, std::pair<EntryKind, bool>> listed;
  for (const DirectoryEntry& entry : entries) listed[entry.name] = {entry.kind, entry.link};
  const std::map<std::string, std::pair<EntryKind, bool>> expected{
      {"a.asm", {EntryKind::File, false}},     {"dir", {EntryKind::Directory, false}},
      {"pipe", {EntryKind::Other, false}},     {"to_file", {EntryKind::File, true}},
      {"to_dir", {EntryKind::Directory, true}}, {"to_pipe", {EntryKind::Other, true}},
      {"dangling", {EntryKind::Other, true}}};
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(entries.size(), expected.size());
  ASSERT_TRUE(platform.listDirectory("TREE/sub/TO_DIR/", entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "x.inc");
  for (std::string_view path : {"", "."}) {
    ASSERT_TRUE(platform.listDirectory(path, entries));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "Tree");
  }
  for (std::string_view path : {"Tree/Sub/a.asm", "Tree/Sub/to_pipe", "Tree/missing"})
    EXPECT_FALSE(platform.listDirectory(path, entries)) << path;

  FileIdentity direct, linked, current, climbed, none;
  ASSERT_TRUE(platform.directoryIdentity("Tree/Sub/dir", direct));
  ASSERT_TRUE(platform.directoryIdentity("tree\\sub\\to_dir\\", linked));
  EXPECT_EQ(direct, linked);
  ASSERT_TRUE(platform.directoryIdentity("", current));
  ASSERT_TRUE(platform.directoryIdentity("Tree/Sub/../..", climbed));
  EXPECT_EQ(current, climbed);
  EXPECT_NE(current, direct);
  for (std::string_view path : {"Tree/Sub/a.asm", "Tree/Sub/to_pipe", "Tree/Sub/dangling"})
    EXPECT_FALSE(platform.directoryIdentity(path, none)) << path;
}

// One tree laid out in the current directory and on a fake: files (each
// holding its own path), FIFOs, and links with their targets.
struct Tree {
  std::vector<std::string> files;
  std::vector<std::string> fifos;
  std::vector<std::pair<std::string, std::string>> links;

  void layOut(FakePlatform& fake) const {
    for (const std::string& file : files) {
      fs::create_directories(fs::path(file).parent_path());
      std::ofstream(file) << file;
      fake.addFile(file, file);
    }
    for (const std::string& fifo : fifos) {
      ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
      fake.addFifo(fifo);
    }
    for (const auto& [link, target] : links) {
      fs::create_symlink(target, link);
      fake.addLink(link, target);
    }
  }
};

// The fake's links and FIFOs are what this back end makes of the system's:
// followed on the way to a file, a climb out of one leaving where it led;
// below the output directory followed nowhere; a FIFO not a file to read.
TEST_F(Platform, FakeTakesLinksAndFifosAsThisBackEndDoes) {
  FakePlatform fake;
  const Tree tree{{"outside/keep.txt", "outside/inner/.keep", "real/r.asm", "pirVex/a/.keep"},
                  {"pipe.asm"},
                  {{"lib", "real"}, {"down", "outside/inner"}, {"pirVex/s", "../outside"}}};
  tree.layOut(fake);
  auto attempts = [](platform::Platform& through) {
    std::vector<bool> opened;
    auto note = [&](File file) {
      opened.push_back(file != NoFile);
      (void)through.closeFile(file);
    };
    note(through.openForReading("LIB\\r.asm"));
    note(through.openForReading("down/../keep.txt"));
    note(through.openForReading("pipe.asm"));
    note(through.createFileAnew("pirVex\\s\\x.HTM"));
    note(through.createFileAnew("pirVex\\a\\..\\s\\y.HTM"));
    note(through.openForWriting("pirVex\\s\\keep.txt", 0));
    note(through.createFileAnew("lib\\made.asm"));
    note(through.openForReading("real/made.asm"));
    note(through.createFileAnew("pipe.asm"));
    return opened;
  };
  const std::vector<bool> expected{true, true, false, false, false, false, true, true, true};
  EXPECT_EQ(attempts(fake), expected);
  EXPECT_EQ(attempts(system), expected);
  EXPECT_EQ(fake.fileText("outside/keep.txt"), "outside/keep.txt");
  EXPECT_TRUE(fake.hasFile("pipe.asm"));
  EXPECT_FALSE(fake.hasFifo("pipe.asm"));
}

// Over the same tree a pattern names the same files here as over the fake.
TEST_F(Platform, PatternsExpandAsOverTheFake) {
  FakePlatform fake;
  const Tree tree{{"proj/Src/Main.asm", "proj/Src/b.ASM", "proj/Src/lib/io.asm",
                   "proj/Src/lib/deep/x.asm", "proj/pirVex/page.asm", "proj/.git/h.asm",
                   "real/r.asm"},
                  {"proj/Src/pipe.asm"},
                  {{"proj/Src/linked", "../../real"},
                   {"proj/Src/file.asm", "b.ASM"},
                   {"proj/Src/dead.asm", "nowhere"},
                   {"proj/out", "pirVex"}}};
  tree.layOut(fake);
  fs::current_path("proj");
  fake.setCurrentDirectory("proj");
  for (std::string_view pattern :
       {"src/*.asm", "SRC\\**\\*.asm", "**", "src/linked/*", "*/l?b/**/*.ASM",
        "../proj/pirVex/*", "out/*", "src/*/", "pirVex/../Src/?.ASM", "../*/r.asm"}) {
    std::vector<std::string> here, overFake;
    const bool found = expandModulePattern(system, pattern, here);
    EXPECT_EQ(expandModulePattern(fake, pattern, overFake), found) << pattern;
    EXPECT_EQ(here, overFake) << pattern;
  }
  std::vector<std::string> names;
  ASSERT_TRUE(expandModulePattern(system, "**", names));
  EXPECT_EQ(names, (std::vector<std::string>{".git\\h.asm", "Src\\Main.asm", "Src\\b.ASM",
                                             "Src\\file.asm", "Src\\lib\\deep\\x.asm",
                                             "Src\\lib\\io.asm"}));
}

TEST_F(Platform, LargeWritesArriveWholeAndInOrder) {
  File file = createFileAnew("big.bin");
  std::string expected;
  for (int i = 0; i < 5000; ++i) {
    std::string piece(static_cast<std::size_t>(i % 97), static_cast<char>('a' + i % 26));
    writeBytes(file, piece);
    expected += piece;
  }
  std::string large(100000, 'z');
  writeBytes(file, large);
  expected += large;
  closeFile(file);
  EXPECT_EQ(workspace.read("big.bin"), expected);
}

// Work handed on runs on a thread of its own, through the buffering layer
// too, and is over when awaited.
TEST_F(Platform, WorkRunsBesideTheCallerUntilAwaited) {
  struct Shared {
    std::thread::id ranOn;
    int runs = 0;
  } shared;
  auto run = [](void* argument) {
    auto& into = *static_cast<Shared*>(argument);
    into.ranOn = std::this_thread::get_id();
    ++into.runs;
  };
  for (platform::Platform* through : {static_cast<platform::Platform*>(&system),
                                      static_cast<platform::Platform*>(&platform)}) {
    shared = {};
    Work work;
    through->startWork(work, run, &shared);
    through->awaitWork(work);
    EXPECT_EQ(shared.runs, 1);
    EXPECT_NE(shared.ranOn, std::this_thread::get_id());
    EXPECT_EQ(work.thread, nullptr);
    through->awaitWork(work);  // a second wait has nothing to wait for
  }
}

// Standard input, output and error closed at the start are on the null
// device afterwards, so no file the run opens can take their places; a
// closed pipe and a file size limit no longer end the process.
TEST(ProcessPreparation, ClosedStandardDescriptorsAndSignals) {
  pid_t child = ::fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    for (int descriptor = 0; descriptor <= 2; ++descriptor) ::close(descriptor);
    PosixPlatform::prepareProcess();
    struct stat null, standard;
    if (::stat("/dev/null", &null) != 0) ::_exit(10);
    for (int descriptor = 0; descriptor <= 2; ++descriptor)
      if (::fstat(descriptor, &standard) != 0 || standard.st_rdev != null.st_rdev) ::_exit(11);
    for (int signal : {SIGPIPE, SIGXFSZ}) {
      struct sigaction action;
      if (::sigaction(signal, nullptr, &action) != 0 || action.sa_handler != SIG_IGN) ::_exit(12);
    }
    ::_exit(0);
  }
  int status = -1;
  ::waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
}  // namespace pirvex::testing

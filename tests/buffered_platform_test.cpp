// The write buffering above a back end, over the fake: what it holds back,
// when it lets go, in which order bytes arrive, and what it leaves open.
#include "platform/buffered_platform.h"

#include <gtest/gtest.h>

#include <functional>

#include "support/fake_platform.h"

namespace pirvex::testing {
namespace {

using platform::BufferedPlatform;
using platform::File;
using platform::NoFile;

TEST(Buffering, EveryServiceButAWriteFindsWhatWasWrittenInTheFile) {
  using Service = std::function<void(BufferedPlatform&, File)>;
  const std::pair<const char*, Service> services[] = {
      {"createDirectories", [](BufferedPlatform& b, File) { b.createDirectories("d\\e\\f"); }},
      {"createFileAnew", [](BufferedPlatform& b, File) { b.closeFile(b.createFileAnew("n.htm")); }},
      {"openForReading", [](BufferedPlatform& b, File) { b.closeFile(b.openForReading("r.htm")); }},
      {"fileSize",
       [](BufferedPlatform& b, File reader) {
         std::uint32_t size = 0;
         EXPECT_TRUE(b.fileSize(reader, size));
       }},
      {"readBytes",
       [](BufferedPlatform& b, File reader) {
         char byte;
         EXPECT_EQ(b.readBytes(reader, &byte, 1), 1u);
       }},
      {"readBytesAt",
       [](BufferedPlatform& b, File reader) {
         char byte;
         EXPECT_EQ(b.readBytesAt(reader, 0, &byte, 1), 1u);
       }},
  };
  for (const auto& [name, service] : services) {
    FakePlatform fake;
    fake.addFile("r.htm", "read me");
    {
      BufferedPlatform buffered(fake);
      File reader = buffered.openForReading("r.htm");
      File a = buffered.createFileAnew("a.htm");
      File b = buffered.createFileAnew("b.htm");
      buffered.writeText(a, "one ");
      buffered.writeText(b, "two");
      buffered.writeText(a, "three");
      EXPECT_EQ(fake.fileText("a.htm") + fake.fileText("b.htm"), "") << name << ": held back";
      service(buffered, reader);
      EXPECT_EQ(fake.fileText("a.htm"), "one three") << name;
      EXPECT_EQ(fake.fileText("b.htm"), "two") << name;
      buffered.writeText(a, " four");
      service(buffered, reader);
      EXPECT_EQ(fake.fileText("a.htm"), "one three four") << name;
      EXPECT_EQ(fake.writeCalls(), 3u) << name;
      buffered.closeFile(a);
      buffered.closeFile(b);
      buffered.closeFile(reader);
      EXPECT_EQ(fake.writeCalls(), 3u) << name;
    }
    EXPECT_EQ(fake.openFiles(), 0u) << name;
    EXPECT_EQ(fake.misuses(), 0u) << name;
  }
}

// A file created anew while it is held open is emptied in place; both
// handles write into the one file, each at its own position.
TEST(Buffering, TwoHandlesOfOneFileReachItInCallOrder) {
  FakePlatform fake;
  {
    BufferedPlatform buffered(fake);
    File early = buffered.createFileAnew("same.htm");
    File late = buffered.createFileAnew("same.htm");
    buffered.writeText(early, "AAAA");
    buffered.writeText(late, "BB");
    buffered.closeFile(late);  // the later handle is closed first
    buffered.closeFile(early);

    early = buffered.createFileAnew("back.htm");
    late = buffered.createFileAnew("back.htm");
    buffered.writeText(late, "BB");
    buffered.writeText(early, "AAAA");
    buffered.closeFile(early);
    buffered.closeFile(late);

    File first = buffered.createFileAnew("page.htm");
    buffered.writeText(first, "AAAA");
    File second = buffered.createFileAnew("page.htm");
    buffered.writeText(second, "BB");
    buffered.writeText(first, "CC");
    buffered.writeText(second, "D");
    buffered.closeFile(first);
    buffered.closeFile(second);
  }
  EXPECT_EQ(fake.fileText("same.htm"), "BBAA");
  EXPECT_EQ(fake.fileText("back.htm"), "AAAA");
  EXPECT_EQ(fake.fileText("page.htm"), std::string("BBD\0CC", 6));
  EXPECT_EQ(fake.openFiles(), 0u);
  EXPECT_EQ(fake.misuses(), 0u);
}

// A write through one of two handles of a file writes out the other
// handle's bytes first, and nothing of any other file.
// Also where every file has the same index (files on as many volumes): the
// whole identity tells the handles of one file from those of another.
TEST(Buffering, AWriteToAFileOpenTwiceLetsGoOfThatFileOnly) {
  for (std::uint64_t filesPerVolume : {0, 1}) {
  FakePlatform fake;
  fake.spreadOverVolumes(filesPerVolume);
  BufferedPlatform buffered(fake);
  File other = buffered.createFileAnew("other.htm");
  File early = buffered.createFileAnew("same.htm");
  File late = buffered.createFileAnew("same.htm");
  buffered.writeText(other, "o");
  buffered.writeText(early, "e");
  buffered.writeText(late, "l");
  EXPECT_EQ(fake.fileText("same.htm"), "e");
  EXPECT_EQ(fake.fileText("other.htm"), "");
  EXPECT_EQ(fake.writeCalls(), 1u);
  for (File file : {other, early, late}) buffered.closeFile(file);
  EXPECT_EQ(fake.fileText("other.htm"), "o");
  EXPECT_EQ(fake.fileText("same.htm"), "l");
  }
}

// Handles of files whose indexes differ are told apart without asking for
// a whole identity, which some systems make costly; a handle for reading
// is asked only when its identity is wanted, and then once.
TEST(Buffering, IdentitiesAreAskedForOnlyWhereIndexesAgree) {
  FakePlatform fake;
  fake.addFile("source.asm", "s");
  BufferedPlatform buffered(fake);
  File first = buffered.createFileAnew("a.htm");
  File second = buffered.createFileAnew("b.htm");
  File source = buffered.openForReading("source.asm");
  EXPECT_EQ(fake.identityQueries(), 0u);
  platform::FileIdentity identity;
  ASSERT_TRUE(buffered.fileIdentity(source, identity));
  ASSERT_TRUE(buffered.fileIdentity(source, identity));
  EXPECT_EQ(fake.identityQueries(), 1u);
  File again = buffered.createFileAnew("a.htm");
  EXPECT_EQ(fake.identityQueries(), 3u) << "the two handles of a.htm";
  for (File file : {first, second, source, again}) buffered.closeFile(file);
}

TEST(Buffering, ClosingAFileWritesOutItsOwnBytesOnly) {
  FakePlatform fake;
  BufferedPlatform buffered(fake);
  File a = buffered.createFileAnew("a.htm");
  File b = buffered.createFileAnew("b.htm");
  buffered.writeText(a, "a1");
  buffered.writeText(b, "b1");
  buffered.writeText(a, "a2");
  buffered.closeFile(a);
  EXPECT_EQ(fake.fileText("a.htm"), "a1a2");
  EXPECT_EQ(fake.fileText("b.htm"), "");
  EXPECT_EQ(fake.writeCalls(), 1u);
  std::uint32_t size = 0;
  ASSERT_TRUE(buffered.fileSize(b, size));
  EXPECT_EQ(size, 2u);
  EXPECT_EQ(fake.writeCalls(), 2u);
  buffered.closeFile(b);
  EXPECT_EQ(fake.writeCalls(), 2u);
  EXPECT_EQ(fake.openFiles(), 0u);
}

TEST(Buffering, WritesThatFillOrPassTheBuffer) {
  const std::size_t full = BufferedPlatform::BufferSize;
  FakePlatform fake;
  BufferedPlatform buffered(fake);
  File file = buffered.createFileAnew("big.bin");
  const std::string filler(full - 1, 'y');
  const std::string large(full, 'w');
  buffered.writeText(file, "x");
  buffered.writeText(file, filler);  // exactly full: still held
  EXPECT_EQ(fake.writeCalls(), 0u);
  buffered.writeText(file, "z");  // would pass the buffer: what is held goes first
  EXPECT_EQ(fake.writeCalls(), 1u);
  EXPECT_EQ(fake.fileText("big.bin"), "x" + filler);
  buffered.writeText(file, large);  // a buffer's worth goes straight on, after "z"
  EXPECT_EQ(fake.writeCalls(), 3u);
  EXPECT_EQ(fake.fileText("big.bin"), "x" + filler + "z" + large);
  buffered.writeText(file, "v");
  buffered.closeFile(file);
  EXPECT_EQ(fake.writeCalls(), 4u);
  EXPECT_EQ(fake.fileText("big.bin"), "x" + filler + "z" + large + "v");
}

// A file closed once is closed: closing it again says so and touches
// nothing.
TEST(Buffering, ClosingTwiceIsRefused) {
  FakePlatform fake;
  BufferedPlatform buffered(fake);
  File file = buffered.createFileAnew("once.htm");
  buffered.writeText(file, "x");
  EXPECT_TRUE(buffered.closeFile(file));
  EXPECT_FALSE(buffered.closeFile(file));
  EXPECT_EQ(fake.fileText("once.htm"), "x");
  EXPECT_EQ(fake.misuses(), 0u);
}

TEST(Buffering, NoFileAndEmptyWritesDoNothing) {
  FakePlatform fake;
  {
    BufferedPlatform buffered(fake);
    char byte = 0;
    platform::FileIdentity identity;
    EXPECT_EQ(buffered.writeBytes(NoFile, "x", 1), 0u);
    EXPECT_EQ(buffered.readBytes(NoFile, &byte, 1), 0u);
    EXPECT_EQ(buffered.readBytesAt(NoFile, 0, &byte, 1), 0u);
    EXPECT_FALSE(buffered.fileIdentity(NoFile, identity));
    std::uint64_t index = 0;
    EXPECT_FALSE(buffered.fileIndex(NoFile, index));
    buffered.closeFile(NoFile);
    File file = buffered.createFileAnew("a.htm");
    EXPECT_EQ(buffered.writeBytes(file, "", 0), 0u);
    buffered.closeFile(file);
  }
  EXPECT_EQ(fake.writeCalls(), 0u);
  EXPECT_EQ(fake.fileText("a.htm"), "");
  EXPECT_EQ(fake.openFiles(), 0u);
  EXPECT_EQ(fake.misuses(), 0u);
}

TEST(Buffering, TheEndWritesOutAndClosesWhatIsStillOpen) {
  FakePlatform fake;
  fake.addFile("r.htm", "r");
  {
    BufferedPlatform buffered(fake);
    File a = buffered.createFileAnew("a.htm");
    File reader = buffered.openForReading("r.htm");
    buffered.writeText(a, "pending");
    platform::FileIdentity mine, theirs;
    ASSERT_TRUE(buffered.fileIdentity(a, mine));
    File direct = fake.openForReading("a.htm");
    ASSERT_TRUE(fake.fileIdentity(direct, theirs));
    fake.closeFile(direct);
    EXPECT_EQ(mine, theirs);
    EXPECT_NE(reader, NoFile);
    void* block = buffered.obtainMemory(8, platform::MemoryUse::PageText, "x");
    EXPECT_EQ(fake.liveBlocks(), 1u);
    buffered.releaseMemory(block);
    EXPECT_EQ(fake.openFiles(), 2u);
  }
  EXPECT_EQ(fake.fileText("a.htm"), "pending");
  EXPECT_EQ(fake.openFiles(), 0u);
  EXPECT_EQ(fake.liveBlocks(), 0u);
  EXPECT_EQ(fake.misuses(), 0u);
}

}  // namespace
}  // namespace pirvex::testing

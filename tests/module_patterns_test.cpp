// Module patterns expanded over the fake platform: what matches, how each
// name is spelt, and what is never entered or matched.
#include "platform/module_patterns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/fake_platform.h"

namespace pirvex::testing {
namespace {

using Names = std::vector<std::string>;

Names expand(FakePlatform& fake, std::string_view pattern) {
  Names names{"left from before"};
  const bool any = platform::expandModulePattern(fake, pattern, names);
  EXPECT_EQ(any, !names.empty()) << pattern;
  return names;
}

TEST(ModulePatterns, WildcardsMatchRegularFilesWithoutRegardToCase) {
  FakePlatform fake;
  for (const char* path : {"src/Main.ASM", "src/b.asm", "src/.hidden.asm", "src/a1.asm",
                           "src/a22.asm", "src/sub.asm/x.asm", "src/lib/io.asm", "src/LIB2/x.Asm"})
    fake.addFile(path, "");
  fake.addFifo("src/pipe.asm");
  fake.addLink("src/alias.asm", "b.asm");
  fake.addLink("src/dead.asm", "missing.asm");
  // The fixed part as written, each name as its directory spells it, in
  // byte order; a directory, a FIFO and a link to nothing are no match.
  EXPECT_EQ(expand(fake, "SRC\\*.asm"),
            (Names{"SRC\\.hidden.asm", "SRC\\Main.ASM", "SRC\\a1.asm", "SRC\\a22.asm",
                   "SRC\\alias.asm", "SRC\\b.asm"}));
  EXPECT_EQ(expand(fake, "src/a?.asm"), Names{"src/a1.asm"});
  EXPECT_EQ(expand(fake, "/src/a?.asm"), Names{"/src/a1.asm"});
  EXPECT_EQ(expand(fake, "src\\l*/*.ASM"), (Names{"src\\LIB2/x.Asm", "src\\lib/io.asm"}));
  EXPECT_EQ(expand(fake, "*/L?b/IO.*"), Names{"src/lib/io.asm"});
  EXPECT_EQ(expand(fake, "src/*//./io.asm"), Names{"src/lib/io.asm"});
  EXPECT_EQ(expand(fake, "src/*/"), Names{});
  EXPECT_EQ(expand(fake, "src/*.inc"), Names{});
  EXPECT_EQ(expand(fake, "nowhere/*.asm"), Names{});
  // Without a wildcard, the pattern itself, whatever stands there.
  EXPECT_EQ(expand(fake, "src/missing.asm"), Names{"src/missing.asm"});
}

TEST(ModulePatterns, DoubleStarSpansAnyNumberOfDirectories) {
  FakePlatform fake;
  for (const char* path :
       {"p/top.asm", "p/0.asm", "p/a/one.asm", "p/a/b/two.asm", "p/a/b/c/three.inc"})
    fake.addFile(path, "");
  EXPECT_EQ(expand(fake, "p/**/*.asm"),
            (Names{"p/0.asm", "p/a/b/two.asm", "p/a/one.asm", "p/top.asm"}));
  // Directories under `**` take the separator before it; files below a
  // last `**`, and directories under a first one, take "\".
  EXPECT_EQ(expand(fake, "p\\**/two.asm"), Names{"p\\a\\b/two.asm"});
  EXPECT_EQ(expand(fake, "**/**/two.asm"), Names{"p\\a\\b/two.asm"});
  // One file reached along two ways is named once, by the first spelling.
  EXPECT_EQ(expand(fake, "p\\**/*\\**\\two.asm"), Names{"p/a\\b\\two.asm"});
  EXPECT_EQ(expand(fake, "p/**"), (Names{"p/a/b/c\\three.inc", "p/a/b\\two.asm", "p/a\\one.asm",
                                         "p\\0.asm", "p\\top.asm"}));
  EXPECT_EQ(expand(fake, "p/a**/*.asm"), Names{"p/a/one.asm"});  // within a component, `*`
}

TEST(ModulePatterns, LinkedDirectoriesAreFollowedOnlyWhereNamed) {
  FakePlatform fake;
  fake.addFile("real/in.asm", "");
  fake.addFile("proj/main.asm", "");
  fake.addLink("proj/lib", "../real");
  fake.addLink("proj/self", ".");
  EXPECT_EQ(expand(fake, "proj/**/*.asm"), Names{"proj/main.asm"});
  EXPECT_EQ(expand(fake, "proj/*/in.asm"), Names{});
  EXPECT_EQ(expand(fake, "proj/lib/*.asm"), Names{"proj/lib/in.asm"});
  EXPECT_EQ(expand(fake, "proj/self/lib/i?.asm"), Names{"proj/self/lib/in.asm"});
}

TEST(ModulePatterns, NothingInOrBelowTheOutputDirectoryMatches) {
  FakePlatform fake;
  for (const char* path : {"proj/pirVex/a.asm", "proj/pirVex/sub/b.asm", "proj/src/c.asm"})
    fake.addFile(path, "");
  fake.addLink("proj/out", "pirVex");
  fake.setCurrentDirectory("proj");
  EXPECT_EQ(expand(fake, "**/*.asm"), Names{"src/c.asm"});
  EXPECT_EQ(expand(fake, "**"), Names{"src\\c.asm"});
  for (const char* pattern : {"pirVex/*.asm", "pirVEX/sub/*", "../proj/pirVex/**",
                              "out/*.asm", "pirVex/a.asm", "../proj/pirVex/sub/b.asm"})
    EXPECT_EQ(expand(fake, pattern), Names{}) << pattern;
  EXPECT_EQ(expand(fake, "pirVex/../src/c.asm"), Names{"pirVex/../src/c.asm"});
  EXPECT_EQ(expand(fake, "pirVex/../s*/*"), Names{"pirVex/../src/c.asm"});
}

}  // namespace
}  // namespace pirvex::testing

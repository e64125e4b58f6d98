#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "driver/source_pass.h"
#include "platform/posix_platform.h"

namespace pirvex {
namespace {

struct Parsed {
  bool ok;
  std::string name;
  bool publicOnly;
  std::string beforeLastDot;
};

Parsed parse(std::string_view line) {
  CommandLine command;
  bool ok = parseCommandLine(line, command);
  std::string base =
      command.afterLastDot ? std::string(command.name.substr(0, command.afterLastDot - 1)) : "";
  return {ok, std::string(command.name), command.publicOnly, base};
}

TEST(CommandLine, NoFileNameMeansUsage) {
  EXPECT_FALSE(parse("").ok);
  EXPECT_FALSE(parse("pirvex").ok);
  EXPECT_FALSE(parse("pirvex ").ok);
  EXPECT_FALSE(parse("pirvex -p").ok);
  EXPECT_FALSE(parse("pirvex -p ").ok);
  EXPECT_FALSE(parse("pirvex -").ok);
  EXPECT_FALSE(parse("\"pirvex demo.asm").ok) << "program name without its closing quote";
}

TEST(CommandLine, OptionsBeforeAndAfterTheName) {
  for (std::string_view line : {"pirvex demo.asm -p", "pirvex -p demo.asm", "pirvex -P demo.asm",
                                "pirvex -pdemo.asm", "\"my dir\\pirvex\" demo.asm -P"}) {
    Parsed parsed = parse(line);
    EXPECT_TRUE(parsed.ok) << line;
    EXPECT_EQ(parsed.name, "demo.asm") << line;
    EXPECT_TRUE(parsed.publicOnly) << line;
  }
  Parsed ignored = parse("pirvex -x demo.asm");
  EXPECT_EQ(ignored.name, "demo.asm");
  EXPECT_FALSE(ignored.publicOnly);
  // The closing quote of a name is stepped over; every option after the
  // name is looked at, an unknown one too.
  Parsed quoted = parse("pirvex \"my demo.asm\" -p");
  EXPECT_EQ(quoted.name, "my demo.asm");
  EXPECT_TRUE(quoted.publicOnly);
  EXPECT_TRUE(parse("pirvex demo.asm -x -p").publicOnly);
  EXPECT_TRUE(parse("pirvex demo.asm -x-p").publicOnly) << "an option needs no blank before it";
  // An empty name in quotes, and an empty program name in quotes.
  Parsed empty = parse("pirvex \"\" -p");
  EXPECT_TRUE(empty.ok);
  EXPECT_EQ(empty.name, "");
  EXPECT_TRUE(empty.publicOnly);
  EXPECT_EQ(parse("\"\" demo.asm").name, "demo.asm");
  Parsed stops = parse("pirvex demo.asm other.asm -p");
  EXPECT_EQ(stops.name, "demo.asm");
  EXPECT_FALSE(stops.publicOnly);
}

TEST(CommandLine, QuotesAndTabs) {
  EXPECT_EQ(parse("pirvex \"my demo.asm\"").name, "my demo.asm");
  EXPECT_EQ(parse("pirvex \"open quote.asm").name, "open quote.asm");
  Parsed tab = parse("pirvex demo.asm\t-p");
  EXPECT_EQ(tab.name, "demo.asm\t-p");
  EXPECT_FALSE(tab.publicOnly);
}

TEST(CommandLine, BaseNameIsTheTextBeforeTheLastDot) {
  EXPECT_EQ(parse("pirvex a.b.asm").beforeLastDot, "a.b");
  EXPECT_EQ(parse("pirvex ..\\src\\demo.asm").beforeLastDot, "..\\src\\demo");
  EXPECT_EQ(parse("pirvex ..\\src\\demo").beforeLastDot, ".");
  CommandLine command;
  ASSERT_TRUE(parseCommandLine("pirvex demo", command));
  EXPECT_EQ(command.afterLastDot, 0u);
}

// An included file's page path: "." pairs climb out of the output
// directory no more, every other "." becomes "_".
TEST(IncludedPagePath, DotsAndDotPairs) {
  EXPECT_EQ(includedPagePath("inc\\defs.inc"), "inc\\defs_inc.HTM");
  EXPECT_EQ(includedPagePath("..\\lib\\io.inc"), "BackLinks_\\lib\\io_inc.HTM");
  EXPECT_EQ(includedPagePath("x.."), "xBackLinks_.HTM");
  EXPECT_EQ(includedPagePath("..."), "BackLinksBackLinks_.HTM");
  EXPECT_EQ(includedPagePath("."), "_.HTM");
  EXPECT_EQ(includedPagePath(""), ".HTM");
}

// A page path never starts at the root: separators and a drive prefix at
// the start are dropped, wherever else they stand they stay.
TEST(IncludedPagePath, NeverFromTheRoot) {
  EXPECT_EQ(includedPagePath("\\wininc\\include\\windows.inc"), "wininc\\include\\windows_inc.HTM");
  EXPECT_EQ(includedPagePath("/usr/inc/a.inc"), "usr/inc/a_inc.HTM");
  EXPECT_EQ(includedPagePath("C:\\inc\\dos.inc"), "inc\\dos_inc.HTM");
  EXPECT_EQ(includedPagePath("c:bios.inc"), "bios_inc.HTM");
  EXPECT_EQ(includedPagePath("\\\\server\\share\\a.inc"), "server\\share\\a_inc.HTM");
  EXPECT_EQ(includedPagePath("A:boot.inc"), "boot_inc.HTM");
  EXPECT_EQ(includedPagePath("z:\\x.inc"), "x_inc.HTM");
  EXPECT_EQ(includedPagePath("1:a.inc"), "1:a_inc.HTM") << "only a letter names a drive";
  EXPECT_EQ(includedPagePath("@:a.inc"), "@:a_inc.HTM");
  EXPECT_EQ(includedPagePath("[:a.inc"), "[:a_inc.HTM");
  EXPECT_EQ(includedPagePath("lib\\C:\\a.inc"), "lib\\C:\\a_inc.HTM");
  EXPECT_EQ(includedPagePath("..\\a.inc"), "BackLinks_\\a_inc.HTM");
}

struct LongOptions {
  bool named;
  CommandLine command;
};

LongOptions parseLong(std::string_view line) {
  LongOptions result;
  result.named = parseCommandLine(line, result.command);
  return result;
}

TEST(CommandLine, LongOptionsBeforeAndAfterTheName) {
  LongOptions both = parseLong(
      "pirvex --lenient --include-dir=a demo.asm -p --include-dir=\"my lib\" --include-dir=b");
  EXPECT_TRUE(both.named);
  EXPECT_EQ(both.command.name, "demo.asm");
  EXPECT_TRUE(both.command.lenient);
  EXPECT_TRUE(both.command.publicOnly);
  EXPECT_EQ(both.command.includeDirectories,
            (std::vector<std::string_view>{"a", "my lib", "b"}));
  EXPECT_TRUE(both.command.unknownOption.empty());

  LongOptions help = parseLong("pirvex --help");
  EXPECT_FALSE(help.named);
  EXPECT_TRUE(help.command.help);
  EXPECT_TRUE(parseLong("pirvex demo.asm --version").command.version);
  // A lone "--" is an option letter, as it always was.
  LongOptions lone = parseLong("pirvex -- demo.asm --");
  EXPECT_EQ(lone.command.name, "demo.asm");
  EXPECT_TRUE(lone.command.unknownOption.empty());
  // After a word that is no option, nothing more is looked at.
  EXPECT_FALSE(parseLong("pirvex demo.asm other.asm --lenient").command.lenient);
}

TEST(CommandLine, UnknownLongOptions) {
  EXPECT_EQ(parseLong("pirvex --frobnicate=3 demo.asm").command.unknownOption, "--frobnicate");
  EXPECT_EQ(parseLong("pirvex demo.asm --Lenient").command.unknownOption, "--Lenient");
  EXPECT_EQ(parseLong("pirvex demo.asm --p").command.unknownOption, "--p");
  // A known name with a value it does not take, or without the value it
  // needs, is given whole.
  EXPECT_EQ(parseLong("pirvex demo.asm --lenient=yes").command.unknownOption, "--lenient=yes");
  EXPECT_EQ(parseLong("pirvex --include-dir demo.asm").command.unknownOption, "--include-dir");
  EXPECT_EQ(parseLong("pirvex --include-dir= demo.asm").command.unknownOption, "--include-dir=");
  // The first unknown one is named.
  EXPECT_EQ(parseLong("pirvex --a demo.asm --b").command.unknownOption, "--a");
  // Quotes hold blanks inside the word, around the value or the whole word.
  LongOptions quoted =
      parseLong("pirvex --include-dir=\"a b\" demo.asm \"--include-dir=c d\" \"--lenient\"");
  EXPECT_EQ(quoted.command.name, "demo.asm");
  EXPECT_EQ(quoted.command.includeDirectories, (std::vector<std::string_view>{"a b", "c d"}));
  EXPECT_TRUE(quoted.command.lenient);
  EXPECT_TRUE(quoted.command.unknownOption.empty());
  EXPECT_EQ(parseLong("pirvex \"--x y\" demo.asm").command.unknownOption, "--x y");
  EXPECT_EQ(parseLong("pirvex \"--\" demo.asm").command.name, "--")
      << "a quoted lone \"--\" is a name";
}

TEST(CommandLine, ArgumentsAreJoinedAsOneLine) {
  char program[] = "pirvex";
  char spaced[] = "my demo.asm";
  char empty[] = "";
  char tabbed[] = "a\tb";
  char option[] = "--include-dir=my lib";
  char* argv[] = {program, spaced, empty, tabbed, option};
  EXPECT_EQ(platform::joinArguments(5, argv),
            "pirvex \"my demo.asm\" \"\" a\tb --include-dir=\"my lib\"");
}

}  // namespace
}  // namespace pirvex

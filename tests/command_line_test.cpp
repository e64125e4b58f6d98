#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>

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

TEST(CommandLine, ArgumentsAreJoinedAsOneLine) {
  char program[] = "pirvex";
  char spaced[] = "my demo.asm";
  char empty[] = "";
  char tabbed[] = "a\tb";
  char* argv[] = {program, spaced, empty, tabbed};
  EXPECT_EQ(platform::joinArguments(4, argv), "pirvex \"my demo.asm\" \"\" a\tb");
}

}  // namespace
}  // namespace pirvex

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "scan/cursor.h"
#include "scan/line_numbers.h"
#include "scan/entries.h"
#include "scan/includes.h"
#include "scan/structures.h"

namespace pirvex {
namespace {

Cursor over(const std::string& text) {
  return Cursor(text.data(), static_cast<std::uint32_t>(text.size()));
}

// Only the first `size` bytes of the text; the bytes after them in memory
// would change the answer if they were looked at.
Cursor cut(const std::string& text, std::size_t size) {
  return Cursor(text.data(), static_cast<std::uint32_t>(size));
}

std::string rest(Cursor cursor) { return std::string(cursor.position, cursor.remaining); }

TEST(Scanner, NextLineConsumesExactlyOneLineEnd) {
  std::string text = "A\r\r\nB";
  Cursor cursor = over(text);
  nextLine(cursor);
  EXPECT_EQ(rest(cursor), "\r\nB");
  nextLine(cursor);
  EXPECT_EQ(rest(cursor), "B");
  nextLine(cursor);
  EXPECT_TRUE(cursor.atEnd());

  std::string unixText = "one\ntwo\nthree\n";
  Cursor single = over(unixText);
  nextLine(single);
  EXPECT_TRUE(single.atEnd()) << "LF alone does not end a line";
}

TEST(Scanner, LineLengthAndTrimming) {
  std::string text = "ab\ncd\r\nef";
  EXPECT_EQ(lineLength(over(text)), 5u);
  EXPECT_EQ(lineLength(over("no end")), 6u);
  EXPECT_EQ(trimTrailingBlanks("\t ").size(), 0u);
  EXPECT_EQ(trimTrailingBlanks("x \t"), "x");
  EXPECT_TRUE(startsWithAtSign("@see:"));
  EXPECT_FALSE(startsWithAtSign(""));
  EXPECT_FALSE(startsWithAtSign(" @"));
}

// A line is measured eight bytes a step: its CR is found at every place in
// and after a step, next to bytes that differ from CR by one bit, and a
// line without CR runs to the end of the text.
TEST(Lines, LengthAtEveryPlaceOfTheLineEnd) {
  const std::string around = "\x0C\x0E\x8D\xFF\x0D\x8C\x01\x00\x2D\x4D";
  for (std::size_t length = 0; length < 40; ++length) {
    std::string line;
    for (std::size_t i = 0; i < length; ++i) line += around[i % around.size()] == '\r' ? 'x' : around[i % around.size()];
    EXPECT_EQ(lineLength(over(line)), length) << "no CR, " << length << " bytes";
    for (std::size_t tail : {0, 1, 9}) {
      std::string text = line + "\r" + std::string(tail, '\r');
      EXPECT_EQ(lineLength(over(text)), length) << length << " bytes, then CR";
    }
  }
}

// Line numbers as an editor shows them, counted on from the place asked for
// before, forwards and back: CRs at every place of an eight-byte word, LFs
// and CR LF pairs, and runs longer than one count of 255 words.
TEST(Lines, NumbersForwardAndBackAcrossLongRuns) {
  std::string text;
  for (int i = 0; i < 5000; ++i) text += i % 7 == 0 ? "\r\n" : i % 11 == 0 ? "\n" : i % 3 == 0 ? "\r" : "ab";
  auto expected = [&](std::size_t at) {
    return 1 + static_cast<std::uint32_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\r'));
  };
  LineNumbers lines(text.data());
  for (std::size_t at : {std::size_t{0}, std::size_t{1}, std::size_t{9}, std::size_t{17}, std::size_t{3000},
                         std::size_t{2999}, text.size(), std::size_t{5}, std::size_t{4097}})
    EXPECT_EQ(lines.of(text.data() + at), expected(at)) << at;
  // Lines the pass steps over one by one are passed on, not counted.
  LineNumbers stepped(text.data());
  Cursor cursor(text.data(), static_cast<std::uint32_t>(text.size()));
  while (!cursor.atEnd()) {
    const char* from = cursor.position;
    nextLine(cursor);
    stepped.passed(from, cursor.position);
    ASSERT_EQ(stepped.of(cursor.position), expected(static_cast<std::size_t>(cursor.position - text.data())));
  }
}

TEST(Scanner, KeywordsFoldOnlyAsciiLettersAndArePrefixes) {
  std::string procNear = "proc near";
  EXPECT_TRUE(matchKeyword(over(procNear), "PROC"));
  std::string procedure = "Procedure";
  EXPECT_TRUE(matchKeyword(over(procedure), "PROC"));
  std::string high =
      "\xC4"
      "BC";
  EXPECT_FALSE(matchKeyword(over(high), "ABC"));
  std::string shortText = "PRO";
  EXPECT_FALSE(matchKeyword(over(shortText), "PROC"));
  std::string friends = "FRIENDS DB 0";
  EXPECT_TRUE(containsKeyword(over(friends), lineLength(over(friends)), "ENDS"));
  EXPECT_FALSE(containsKeyword(over(friends), 3, "ENDS"));
  // A match that starts inside the count may reach beyond it.
  EXPECT_TRUE(containsKeyword(over(friends), 4, "ENDS"));
}

TEST(Scanner, CommentForms) {
  EXPECT_TRUE(isDocLine(over("  ;*text")));
  EXPECT_FALSE(isDocLine(over(";")));
  EXPECT_TRUE(isPlainComment(over(";\r\n")));
  EXPECT_TRUE(isPlainComment(over("  ;")));
  EXPECT_TRUE(isPlainComment(over("; *")));
  EXPECT_FALSE(isPlainComment(over(";*")));
  EXPECT_FALSE(isPlainComment(over("")));
  EXPECT_FALSE(isPlainComment(over("mov ax, 1 ; x")));
}

TEST(Scanner, CommentDirectiveSkipsToAfterItsDelimiter) {
  std::string text = "comment ~ skipped ~ rest";
  Cursor cursor = over(text);
  EXPECT_TRUE(skipCommentDirective(cursor));
  EXPECT_EQ(rest(cursor), " rest");

  std::string crDelimiter = "COMMENT  \r\nnext line\r\nafter";
  Cursor byCr = over(crDelimiter);
  EXPECT_TRUE(skipCommentDirective(byCr));
  EXPECT_EQ(rest(byCr), "\nafter");

  // The delimiter may close at the very next byte.
  std::string empty = "COMMENT ##after#";
  Cursor closedAtOnce = over(empty);
  EXPECT_TRUE(skipCommentDirective(closedAtOnce));
  EXPECT_EQ(rest(closedAtOnce), "after#");

  std::string open = "COMMENT # never closed\r\nmore";
  Cursor unclosed = over(open);
  EXPECT_TRUE(skipCommentDirective(unclosed));
  EXPECT_TRUE(unclosed.atEnd());

  for (std::string none : {"COMMENT *", "COMMENT\r\nx", "COMMENT:x #", "COMMENTS # x #"}) {
    Cursor untouched = over(none);
    EXPECT_FALSE(skipCommentDirective(untouched)) << none;
    EXPECT_EQ(untouched.position, none.data());
    EXPECT_EQ(untouched.remaining, none.size());
  }
}

TEST(Scanner, WordLengthIncludesItsSpace) {
  EXPECT_EQ(wordLength(over("600 30\r\n")), 4u);
  EXPECT_EQ(wordLength(over("30\r\n")), 2u);
  EXPECT_EQ(wordLength(over("ab\t x")), 4u);
  EXPECT_EQ(wordLength(over("end")), 3u);
}

TEST(Scanner, LineEndsCrLfLfCrAloneAndLfInsideALine) {
  std::string text = "a\r\n\nb\rc\nd e\r\n";
  Cursor cursor = over(text);
  EXPECT_EQ(lineLength(cursor), 1u);
  nextLine(cursor);
  EXPECT_EQ(rest(cursor), "\nb\rc\nd e\r\n");
  EXPECT_FALSE(isPlainComment(cursor));
  EXPECT_EQ(lineLength(cursor), 2u);
  nextLine(cursor);
  EXPECT_EQ(lineLength(cursor), 5u);
  EXPECT_EQ(wordLength(cursor), 4u);
  nextLine(cursor);
  EXPECT_TRUE(cursor.atEnd());
}

TEST(Scanner, NothingPastTheEndOfTheTextIsLookedAt) {
  const std::string lineEnd = "A\r\n";
  Cursor line = cut(lineEnd, 2);
  nextLine(line);
  EXPECT_TRUE(line.atEnd());
  EXPECT_EQ(line.position, lineEnd.data() + 2);

  const std::string words = "ab xy\r";
  EXPECT_EQ(lineLength(cut(words, 2)), 2u);
  EXPECT_EQ(wordLength(cut(words, 2)), 2u);
  const std::string blankText = "  x";
  Cursor blanks = cut(blankText, 2);
  skipBlanks(blanks);
  EXPECT_TRUE(blanks.atEnd());

  const std::string ends = "xENDS";
  EXPECT_FALSE(containsKeyword(cut(ends, 4), 4, "ENDS"));
  EXPECT_TRUE(containsKeyword(cut(ends, 5), 5, "ENDS"));
  const std::string late = "xyzENDS";
  EXPECT_FALSE(containsKeyword(cut(late, 2), 4, "ENDS"));  // more positions than bytes
  EXPECT_FALSE(matchKeyword(cut("PROC", 3), "PROC"));

  const std::string doc = " ;*";
  EXPECT_FALSE(isDocLine(cut(doc, 2)));
  EXPECT_TRUE(isPlainComment(cut(doc, 2)));
  EXPECT_TRUE(isDocLine(cut(doc, 3)));
  EXPECT_FALSE(isPlainComment(cut(doc, 3)));

  const std::string include = "INCLUDE x.inc";
  std::string_view name;
  EXPECT_FALSE(includeDirective(cut(include, 7), name)) << "the keyword needs a byte after it";
  EXPECT_TRUE(includeDirective(cut(include, 8), name));
  EXPECT_EQ(name, "");
  EXPECT_TRUE(includeDirective(cut(include, 10), name));
  EXPECT_EQ(name, "x.");

  const std::string comment = "COMMENT #ab#x";
  Cursor noDelimiter = cut(comment, 8);
  EXPECT_FALSE(skipCommentDirective(noDelimiter));
  Cursor lastByte = cut(comment, 9);
  EXPECT_FALSE(skipCommentDirective(lastByte));
  Cursor twoLeft = cut(comment, 10);  // the delimiter and one byte
  EXPECT_TRUE(skipCommentDirective(twoLeft));
  EXPECT_TRUE(twoLeft.atEnd());
  Cursor unclosed = cut(comment, 11);
  EXPECT_TRUE(skipCommentDirective(unclosed));
  EXPECT_TRUE(unclosed.atEnd());
  EXPECT_EQ(unclosed.position, comment.data() + 11);
}

TEST(Scanner, EmptyInputIsHarmless) {
  Cursor empty;
  skipBlanks(empty);
  nextLine(empty);
  EXPECT_TRUE(empty.atEnd());
  EXPECT_EQ(lineLength(empty), 0u);
  EXPECT_EQ(wordLength(empty), 0u);
  EXPECT_FALSE(isDocLine(empty));
  EXPECT_FALSE(skipCommentDirective(empty));
}

// Read as the assemblers read sources, a tab ends the first word as a space
// does; read as specified, it belongs to the word.
TEST(Lenient, TabsEndWords) {
  std::string_view name;
  const std::string structure = "POINT\tstruct\r\n";
  EXPECT_FALSE(structureName(over(structure), name));
  ASSERT_TRUE(structureName(over(structure), name, true));
  EXPECT_EQ(name, "POINT");
  const std::string procedure = "\tje\tGOTDJ\t\t;then proceed\r\n";
  ASSERT_TRUE(undocumentedProcedureName(over(procedure), name));
  EXPECT_EQ(name, "je\tGOTDJ\t\t;then");
  EXPECT_FALSE(undocumentedProcedureName(over(procedure), name, true));
  const std::string tabbed = "Print\tPROC\tNEAR\r\n";
  EXPECT_FALSE(undocumentedProcedureName(over(tabbed), name));
  ASSERT_TRUE(undocumentedProcedureName(over(tabbed), name, true));
  EXPECT_EQ(name, "Print");
  const std::string documented = ";* Prints.\r\nPrint\tPROC\r\n";
  ASSERT_TRUE(findProcedureName(over(documented), name, true));
  EXPECT_EQ(name, "Print");
}

// "<name>" and 'name' are stepped over like "name", and end at their
// closing byte; read as specified, "<" and "'" belong to the name.
TEST(Lenient, IncludeNamesInBracketsAndQuotes) {
  struct Expected {
    std::string line;
    std::string strict;
    std::string lenient;
  };
  for (const Expected& expected : std::vector<Expected>{
           {"include <TRAPD.INC>\r", "<TRAPD.INC>", "TRAPD.INC"},
           {"include 'a.inc'", "'a.inc'", "a.inc"},
           {"include \"a.inc\"", "a.inc", "a.inc"},
           {"include < a.inc >", "<", "a.inc"},
           {"include <a'b>", "<a'b>", "a'b"},
           {"include 'a>b'", "'a>b'", "a>b"},
           {"include a>b", "a>b", "a>b"},
           {"include <a\"b>", "<a", "a"}}) {
    std::string_view name;
    ASSERT_TRUE(includeDirective(over(expected.line), name)) << expected.line;
    EXPECT_EQ(name, expected.strict) << expected.line;
    ASSERT_TRUE(includeDirective(over(expected.line), name, true)) << expected.line;
    EXPECT_EQ(name, expected.lenient) << expected.line;
  }
}

}  // namespace
}  // namespace pirvex

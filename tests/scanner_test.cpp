#include <gtest/gtest.h>

#include <string>

#include "scan/cursor.h"

namespace pirvex {
namespace {

Cursor over(const std::string& text) {
  return Cursor(text.data(), static_cast<std::uint32_t>(text.size()));
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

}  // namespace
}  // namespace pirvex

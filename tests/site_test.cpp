// The HTML5 site's pieces on their own: reading sources in their character
// set, ids and links that survive any name, documentation markup that is
// kept or shown, and the light reading of source lines behind the source
// view and the call references.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <unordered_map>

#include "site/source_view.h"
#include "site/text.h"

namespace pirvex::site {
namespace {

std::string text(std::string_view bytes, Encoding encoding) {
  std::string out;
  appendText(out, bytes, encoding);
  return out;
}

std::string docText(std::string_view bytes) {
  std::string out;
  appendDocText(out, bytes, Encoding::Cp437);
  return out;
}

TEST(SiteText, SourcesAreReadInTheirCharacterSet) {
  // Code page 437: umlauts, sharp s, box drawing; a file of it is no UTF-8.
  EXPECT_EQ(decoded("Gr\x94\xE1" "e \x84\x81\x8E \xC4\xB3", Encoding::Automatic),
            "Gr\xC3\xB6\xC3\x9F" "e \xC3\xA4\xC3\xBC\xC3\x84 \xE2\x94\x80\xE2\x94\x82");
  EXPECT_EQ(settle(Encoding::Automatic, "Gr\x94\xE1" "e"), Encoding::Cp437);
  // The whole upper half, as the DOS character table shows it.
  std::string upper;
  for (int byte = 0x80; byte <= 0xFF; ++byte) upper += static_cast<char>(byte);
  EXPECT_EQ(decoded(upper, Encoding::Cp437),
            "ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜ¢£¥₧ƒáíóúñÑªº¿⌐¬½¼¡«»░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
            "└┴┬├─┼╞╟╚╔╩╦╠═╬╧╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀αßΓπΣσµτΦΘΩδ∞φε∩≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\xC2\xA0");
  // Valid UTF-8 stays as it is, and is read so without being asked.
  EXPECT_EQ(settle(Encoding::Automatic, "Gr\xC3\xB6\xC3\x9F" "e"), Encoding::Utf8);
  EXPECT_EQ(decoded("Gr\xC3\xB6\xC3\x9F" "e", Encoding::Automatic), "Gr\xC3\xB6\xC3\x9F" "e");
  // Asked for, the other sets win over what the bytes look like.
  EXPECT_EQ(decoded("\xC3\xA4", Encoding::Cp437), "\xE2\x94\x9C\xC3\xB1");
  EXPECT_EQ(decoded("\xE4\xDF", Encoding::Latin1), "\xC3\xA4\xC3\x9F");
  // Bytes no page may hold: controls as their pictures, C1 controls,
  // noncharacters and broken or overlong sequences replaced.
  EXPECT_EQ(decoded(std::string_view("a\0b\x01\x7F\t", 6), Encoding::Utf8),
            "a\xE2\x90\x80" "b\xE2\x90\x81\xE2\x90\xA1\t");
  EXPECT_EQ(decoded("\x85", Encoding::Latin1), "\xEF\xBF\xBD");
  EXPECT_EQ(decoded("\xEF\xBF\xBE|\xC0\xAF|\xED\xA0\x80|\xE2\x82", Encoding::Utf8),
            "\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD|\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD|"
            "\xEF\xBF\xBD\xEF\xBF\xBD");
  EXPECT_FALSE(isValidUtf8("\xC0\xAF"));
  EXPECT_FALSE(isValidUtf8("\xED\xA0\x80"));
  EXPECT_FALSE(isValidUtf8("\xF4\x90\x80\x80"));
  EXPECT_TRUE(isValidUtf8("\xF0\x9F\x98\x80"));
  // Four-byte sequences keep every bit of their first byte (U+40000, U+C0000).
  EXPECT_EQ(decoded("\xF1\x80\x80\x80 \xF3\x80\x80\x80", Encoding::Utf8),
            "\xF1\x80\x80\x80 \xF3\x80\x80\x80");
  EXPECT_EQ(decoded("\xF0\x9F\x98\x80 \xE2\x82\xAC \xC3\xA4", Encoding::Automatic),
            "\xF0\x9F\x98\x80 \xE2\x82\xAC \xC3\xA4");
  EXPECT_EQ(settle(Encoding::Automatic, "\x80"), Encoding::Cp437);
  Encoding named = Encoding::Automatic;
  EXPECT_TRUE(encodingNamed("latin1", named));
  EXPECT_EQ(named, Encoding::Latin1);
  EXPECT_FALSE(encodingNamed("koi8", named));
  EXPECT_FALSE(encodingNamed("UTF8", named));
}

TEST(SiteText, TextAndAttributesEscapeTheirMarkup) {
  EXPECT_EQ(text("a<b>&c\"\x84", Encoding::Cp437), "a&lt;b&gt;&amp;c\"\xC3\xA4");
  std::string attribute;
  appendAttribute(attribute, "\"<x>&");
  EXPECT_EQ(attribute, "&quot;&lt;x&gt;&amp;");
  std::string number;
  appendNumber(number, 0);
  appendNumber(number, 4294967295u);
  EXPECT_EQ(number, "04294967295");
}

TEST(SiteText, IdsAreUrlSafeAndDifferWhenNamesDo) {
  EXPECT_EQ(fragmentId("WriteLine"), "WriteLine");
  EXPECT_EQ(fragmentId("_x9"), "_x9");
  EXPECT_EQ(fragmentId("a.b"), "a.2Eb");
  EXPECT_EQ(fragmentId("a\"b<c> d\te#"), "a.22b.3Cc.3E.20d.09e.23");
  EXPECT_EQ(fragmentId("\xC3\xA4"), ".C3.A4");
  EXPECT_EQ(fragmentId(""), "_");
  const std::string names[] = {"a.b", "a.2Eb", "a_b", "a b", "a-b", "A.B", "a", "a.", ".a"};
  std::set<std::string> ids;
  for (const std::string& name : names) {
    const std::string id = fragmentId(name);
    ids.insert(id);
    EXPECT_EQ(id.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_."),
              std::string::npos)
        << name;
  }
  EXPECT_EQ(ids.size(), std::size(names));
}

TEST(SiteText, PathsAndScriptStringsKeepToTheirSyntax) {
  std::string path;
  appendUrlPath(path, "lib/a b#c%d?\x84~-_.html");
  EXPECT_EQ(path, "lib/a%20b%23c%25d%3F%84~-_.html");
  std::string script;
  appendJsonString(script, "a\"b\\c\n</script>\xE2\x80\xA8");
  EXPECT_EQ(script, "\"a\\\"b\\\\c\\u000A<\\/script>\\u2028\"");
}

// A search finds an entry by any word of its text, however long the text:
// each word once, whatever its case, markup and a section's "@" left out.
TEST(SiteText, SearchWordsAreEveryWordOnce) {
  SearchWords words;
  std::string out = "[";
  std::string longLine;
  for (int i = 0; i < 40; ++i) longLine += "Wort ";
  longLine += "zuletzt";
  const std::vector<std::string_view> lines = {
      "@Parameter:", "DS:DX  Adresse\tdes <b>Puf</b>fers", "die ADRESSE, des\x94 Puffers",
      "", longLine};
  words.collect(lines, out);
  EXPECT_EQ(out, "[Parameter: DS:DX Adresse des Puffers die ADRESSE, des\x94 Wort zuletzt");
  out.clear();
  words.collect({}, out);
  EXPECT_EQ(out, "");
  // A table grown for many words still answers for few.
  std::vector<std::string> many;
  for (int i = 0; i < 1000; ++i) many.push_back("w" + std::to_string(i % 700));
  std::vector<std::string_view> manyLines(many.begin(), many.end());
  words.collect(manyLines, out);
  EXPECT_EQ(std::count(out.begin(), out.end(), ' '), 699);
  out.clear();
  words.collect({"a A b"}, out);
  EXPECT_EQ(out, "a b");
}

TEST(SiteText, DocumentationKeepsInlineMarkupAndShowsTheRest) {
  EXPECT_EQ(docText("<b>fett</b> und <I>schr\x84g</I><br>"),
            "<b>fett</b> und <i>schr\xC3\xA4g</i><br>");
  EXPECT_EQ(docText("<tt>mov</tt> &amp; &auml; &#x41; &#65;"), "<code>mov</code> &amp; &auml; &#x41; &#65;");
  EXPECT_EQ(docText("<STRONG>x</strong><strongest>"), "<strong>x</strong>&lt;strongest&gt;");
  EXPECT_EQ(docText("&#X41;&#32;&#160;&#x10FFFD;"), "&#X41;&#32;&#160;&#x10FFFD;");
  // Elements with attributes, scripts and everything unknown are text.
  EXPECT_EQ(docText("<b onclick=\"x\">a</b><script>x</script>"),
            "&lt;b onclick=\"x\"&gt;a&lt;/b&gt;&lt;script&gt;x&lt;/script&gt;");
  // Unclosed elements end with the line; stray or crossed end tags show.
  EXPECT_EQ(docText("<b>a<i>b"), "<b>a<i>b</i></b>");
  EXPECT_EQ(docText("</i>a<b>c</i>"), "&lt;/i&gt;a<b>c&lt;/i&gt;</b>");
  // References a page may not hold, or that are no references, are text.
  EXPECT_EQ(docText("&bogus; &#0; &#x110000; &#xD800; & x &lt"),
            "&amp;bogus; &amp;#0; &amp;#x110000; &amp;#xD800; &amp; x &amp;lt");
  EXPECT_EQ(docText("a < b"), "a &lt; b");
  // Numbers without digits, with a letter among decimal digits or with
  // more than six digits are no references either.
  EXPECT_EQ(docText("&#; &#x; &#4a; &#0000065;"), "&amp;#; &amp;#x; &amp;#4a; &amp;#0000065;");
}

// Entries known by name: procedures and structures apart.
struct Known {
  std::unordered_map<std::string, int> procedures = {{"WriteLine", 1}, {"ReadChar", 2}};
  std::unordered_map<std::string, int> structures = {{"LINEBUF", 7}};
  Resolver resolver() const {
    return [this](std::string_view name, bool structure) {
      const auto& names = structure ? structures : procedures;
      auto found = names.find(std::string(name));
      return found == names.end() ? -1 : found->second;
    };
  }
};

// The line as the view shows it: each piece's shade and bytes.
std::string shaded(const LineReading& reading) {
  static const char* const Marks[] = {"", "c", "s", "k", "l", "r"};
  std::string out;
  for (const Piece& piece : reading.pieces) {
    const char* mark = Marks[static_cast<int>(piece.shade)];
    if (*mark) out += std::string("[") + mark + ":";
    out += piece.bytes;
    if (*mark) out += "]";
  }
  return out;
}

TEST(SiteSourceView, LinesAreShadedWithoutLosingAByte) {
  Known known;
  LineReader reader(known.resolver());
  LineReading reading;
  const std::pair<std::string_view, std::string_view> lines[] = {
      {"Init:  mov ax, 1 ; los", "[l:Init]:  mov ax, 1 [c:; los]"},
      {"ReadLine PROC NEAR", "[l:ReadLine] [k:PROC] [k:NEAR]"},
      {"  db 'a;b', \"x\" ; c", "  [k:db] [s:'a;b'], [s:\"x\"] [c:; c]"},
      {"  .MODEL small", "  [k:.MODEL] small"},
      {"  include  x.inc", "  [k:include]  x.inc"},
      {"  call WriteLine", "  call [r:WriteLine]"},
      {"  CALL near ptr writeline", "  CALL [k:near] [k:ptr] writeline"},
      {"  call [bx+WriteLine]", "  call [bx+WriteLine]"},
      {"  jz ReadChar", "  jz [r:ReadChar]"},
      {"buf LINEBUF <>", "[l:buf] [r:LINEBUF] <>"},
      {"  LINEBUF <>", "  [r:LINEBUF] <>"},
      {"LINEBUF STRUC", "[l:LINEBUF] [k:STRUC]"},
      {"Dup PROC", "[l:Dup] [k:PROC]"},
      {"'open", "[s:'open]"},
      {"", ""},
  };
  for (const auto& [line, expected] : lines) {
    reader.read(line, reading);
    EXPECT_EQ(shaded(reading), expected) << line;
    std::string whole;
    for (const Piece& piece : reading.pieces) whole += piece.bytes;
    EXPECT_EQ(whole, line);
  }
}

TEST(SiteSourceView, CallsProcedureBoundsAndStructureUses) {
  Known known;
  LineReader reader(known.resolver());
  LineReading reading;
  reader.read("ReadLine PROC NEAR", reading);
  EXPECT_EQ(reading.procedureBegins, "ReadLine");
  EXPECT_FALSE(reading.procedureEnds);
  reader.read("  call WriteLine ; and  call ReadChar", reading);
  EXPECT_EQ(reading.calls, std::vector<int>{1});
  reader.read("  jmp ReadChar", reading);  // a jump is no call
  EXPECT_TRUE(reading.calls.empty());
  reader.read("  call Missing", reading);
  EXPECT_TRUE(reading.calls.empty());
  reader.read("ReadLine ENDP", reading);
  EXPECT_TRUE(reading.procedureEnds);
  EXPECT_TRUE(reading.procedureBegins.empty());
  reader.read("line LINEBUF <>", reading);
  EXPECT_EQ(reading.structureUsed, 7);
  reader.read("LINEBUF ENDS", reading);
  EXPECT_EQ(reading.structureUsed, -1);
  reader.read("  mov ax, LINEBUF", reading);
  EXPECT_EQ(reading.structureUsed, -1);
}

TEST(SiteSourceView, CommentBlocksSpanLinesToTheirDelimiter) {
  Known known;
  LineReader reader(known.resolver());
  LineReading reading;
  reader.read("COMMENT # start", reading);
  EXPECT_EQ(shaded(reading), "[c:COMMENT # start]");
  reader.read("  call WriteLine", reading);
  EXPECT_EQ(shaded(reading), "[c:  call WriteLine]");
  EXPECT_TRUE(reading.calls.empty());
  reader.read("end # call WriteLine", reading);
  EXPECT_EQ(shaded(reading), "[c:end #] call [r:WriteLine]");
  reader.read("COMMENT", reading);  // no delimiter: no block
  reader.read("  call WriteLine", reading);
  EXPECT_EQ(reading.calls, std::vector<int>{1});
  reader.read("COMMENT * one line *", reading);
  EXPECT_EQ(shaded(reading), "[c:COMMENT * one line *]");
  reader.read("  call WriteLine", reading);
  EXPECT_EQ(reading.calls, std::vector<int>{1});
}

TEST(SiteSourceView, LinesEndAtCrLfCrOrLf) {
  const std::string_view text = "a\r\nb\rc\nd\r\n\r\ne";
  const std::vector<std::uint32_t> starts = lineStarts(text);
  ASSERT_EQ(starts, (std::vector<std::uint32_t>{0, 3, 5, 7, 10, 12}));
  EXPECT_EQ(lineAt(text, starts, 0), "a");
  EXPECT_EQ(lineAt(text, starts, 3), "d");
  EXPECT_EQ(lineAt(text, starts, 4), "");
  EXPECT_EQ(lineAt(text, starts, 5), "e");
  EXPECT_EQ(lineOf(starts, 0), 0u);
  EXPECT_EQ(lineOf(starts, 4), 1u);
  EXPECT_EQ(lineOf(starts, 12), 5u);
  EXPECT_EQ(lineStarts("x\r\n"), std::vector<std::uint32_t>{0});
  EXPECT_EQ(lineStarts(""), std::vector<std::uint32_t>{0});
}

}  // namespace
}  // namespace pirvex::site

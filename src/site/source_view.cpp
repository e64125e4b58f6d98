#include "site/source_view.h"

#include <algorithm>
#include <utility>

#include "platform/text.h"
#include "scan/cursor.h"
#include "scan/entries.h"

namespace pirvex::site {
namespace {

bool isWordByte(unsigned char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '@' || c == '$' || c == '?' || c == '.';
}

// What a word is to the reader, by its letters in any case.
enum WordClass : unsigned {
  Directive = 1,  // shown as a keyword
  Defining = 2,   // after a name, makes the name a definition
  Distance = 4,   // stands between CALL or a jump and its target
  Jump = 8,       // CALL, JMP and the conditional jumps
  Call = 16,
  CommentBlock = 32,
  ProcBegin = 64,
  ProcEnd = 128,
};

constexpr std::pair<std::string_view, unsigned> Words[] = {
    {"PROC", Directive | Defining | ProcBegin}, {"ENDP", Directive | Defining | ProcEnd},
    {"STRUC", Directive | Defining}, {"STRUCT", Directive | Defining},
    {"ENDS", Directive | Defining}, {"UNION", Directive | Defining},
    {"SEGMENT", Directive | Defining}, {"MACRO", Directive | Defining},
    {"ENDM", Directive | Defining}, {"EQU", Directive | Defining},
    {"LABEL", Directive | Defining}, {"DB", Directive | Defining}, {"DW", Directive | Defining},
    {"DD", Directive | Defining}, {"DQ", Directive | Defining}, {"DT", Directive | Defining},
    {"DF", Directive | Defining}, {"TEXTEQU", Directive | Defining},
    {"RECORD", Directive | Defining}, {"TYPEDEF", Directive | Defining},
    {"GROUP", Directive | Defining}, {"PROTO", Directive | Defining},
    {"INCLUDE", Directive}, {"INCLUDELIB", Directive}, {"COMMENT", Directive | CommentBlock},
    {"ASSUME", Directive}, {"END", Directive}, {"PUBLIC", Directive}, {"EXTRN", Directive},
    {"EXTERN", Directive}, {"EXTERNDEF", Directive}, {"INVOKE", Directive}, {"LOCAL", Directive},
    {"USES", Directive}, {"DUP", Directive}, {"OFFSET", Directive}, {"SEG", Directive},
    {"ORG", Directive}, {"ALIGN", Directive}, {"EVEN", Directive}, {"IF", Directive},
    {"IFDEF", Directive}, {"IFNDEF", Directive}, {"ELSE", Directive}, {"ENDIF", Directive},
    {"PTR", Directive | Distance}, {"NEAR", Directive | Distance}, {"FAR", Directive | Distance},
    {"SHORT", Directive | Distance}, {"DWORD", Directive | Distance}, {"BYTE", Directive},
    {"WORD", Directive}, {"QWORD", Directive},
    {"CALL", Jump | Call}, {"JMP", Jump}, {"JA", Jump}, {"JAE", Jump}, {"JB", Jump},
    {"JBE", Jump}, {"JC", Jump}, {"JCXZ", Jump}, {"JECXZ", Jump}, {"JRCXZ", Jump}, {"JE", Jump},
    {"JG", Jump}, {"JGE", Jump}, {"JL", Jump}, {"JLE", Jump}, {"JNA", Jump}, {"JNAE", Jump},
    {"JNB", Jump}, {"JNBE", Jump}, {"JNC", Jump}, {"JNE", Jump}, {"JNG", Jump}, {"JNGE", Jump},
    {"JNL", Jump}, {"JNLE", Jump}, {"JNO", Jump}, {"JNP", Jump}, {"JNS", Jump}, {"JNZ", Jump},
    {"JO", Jump}, {"JP", Jump}, {"JPE", Jump}, {"JPO", Jump}, {"JS", Jump}, {"JZ", Jump},
    {"LOOP", Jump}};

// The words above by their letters packed into two numbers (each word at
// most eleven letters), in a table small enough to stay in the cache: a
// source's every word is looked up here.
class WordTable {
 public:
  WordTable() {
    for (const auto& [word, what] : Words) {
      const Key key = pack(word);
      std::size_t at = slot(key);
      while (used_[at]) at = (at + 1) % Size;
      used_[at] = true;
      keys_[at] = key;
      classes_[at] = what;
    }
  }
  unsigned find(std::string_view word) const {
    if (word.empty() || word.size() > 11) return 0;
    const Key key = pack(word);
    for (std::size_t at = slot(key); used_[at]; at = (at + 1) % Size)
      if (keys_[at].first == key.first && keys_[at].rest == key.rest) return classes_[at];
    return 0;
  }

 private:
  static constexpr std::size_t Size = 256;
  struct Key {
    std::uint64_t first = 0;  // the first eight letters, upper-cased
    std::uint32_t rest = 0;   // the others, and the length
  };
  static Key pack(std::string_view word) {
    Key key;
    for (std::size_t i = 0; i < word.size(); ++i) {
      const auto letter = static_cast<std::uint64_t>(upperAscii(word[i]));
      if (i < 8)
        key.first = (key.first << 8) | letter;
      else
        key.rest = (key.rest << 8) | static_cast<std::uint32_t>(letter);
    }
    key.rest = (key.rest << 8) | static_cast<std::uint32_t>(word.size());
    return key;
  }
  static std::size_t slot(const Key& key) {
    return static_cast<std::size_t>(((key.first ^ key.rest) * 0x9E3779B97F4A7C15ULL) >> 56);
  }
  bool used_[Size] = {};
  Key keys_[Size];
  unsigned classes_[Size] = {};
};

unsigned classOf(std::string_view word) {
  static const WordTable table;
  // ".MODEL", ".386", ".CODE": every word that begins with a dot
  if (word.size() > 1 && word[0] == '.') return Directive;
  return table.find(word);
}

}  // namespace

void LineReader::read(std::string_view line, LineReading& into) {
  into.pieces.clear();
  into.procedureBegins = {};
  into.procedureEnds = false;
  into.calls.clear();
  into.structureUsed = -1;
  tokens_.clear();
  words_.clear();

  const auto size = static_cast<std::uint32_t>(line.size());
  std::uint32_t at = 0;
  if (commentDelimiter_ != 0) {
    const std::size_t end = line.find(commentDelimiter_);
    if (end == std::string_view::npos) {
      if (!line.empty()) into.pieces.push_back({Shade::Comment, line});
      return;
    }
    commentDelimiter_ = 0;
    at = static_cast<std::uint32_t>(end + 1);
    tokens_.push_back({Token::Comment, 0, at});
  } else {
    // A comment line, the commonest line of a documented source, needs no
    // words: its blanks and its comment.
    while (at < size && isBlank(static_cast<unsigned char>(line[at]))) ++at;
    if (at < size && line[at] == ';') {
      if (at > 0) into.pieces.push_back({Shade::Text, line.substr(0, at)});
      into.pieces.push_back({Shade::Comment, line.substr(at)});
      return;
    }
    at = 0;
  }
  while (at < size) {
    const auto c = static_cast<unsigned char>(line[at]);
    std::uint32_t end = at + 1;
    Token::Kind kind = Token::Other;
    if (c == ';') {
      kind = Token::Comment;
      end = size;
    } else if (c == '\'' || c == '"') {
      kind = Token::String;
      while (end < size && line[end] != static_cast<char>(c)) ++end;
      if (end < size) ++end;
    } else if (isWordByte(c)) {
      kind = Token::Word;
      while (end < size && isWordByte(static_cast<unsigned char>(line[end]))) ++end;
    } else {
      while (end < size) {
        const auto next = static_cast<unsigned char>(line[end]);
        if (next == ';' || next == '\'' || next == '"' || isWordByte(next)) break;
        ++end;
      }
    }
    if (kind == Token::Word) words_.push_back(tokens_.size());
    tokens_.push_back({kind, at, end - at});
    at = end;
  }

  shades_.assign(tokens_.size(), Shade::Text);
  targets_.assign(tokens_.size(), -1);
  std::vector<int>& targets = targets_;
  classes_.resize(words_.size());
  for (std::size_t w = 0; w < words_.size(); ++w)
    classes_[w] = classOf(line.substr(tokens_[words_[w]].start, tokens_[words_[w]].length));
  const auto text = [&](std::size_t token) {
    return line.substr(tokens_[token].start, tokens_[token].length);
  };
  const auto word = [&](std::size_t w) { return text(words_[w]); };
  // Whether only blanks stand between two tokens.
  const auto adjacent = [&](std::size_t from, std::size_t to) {
    for (std::size_t t = from + 1; t < to; ++t)
      if (tokens_[t].kind != Token::Other || text(t).find_first_not_of(" \t") != std::string_view::npos)
        return false;
    return true;
  };
  for (std::size_t t = 0; t < tokens_.size(); ++t) {
    if (tokens_[t].kind == Token::Comment) shades_[t] = Shade::Comment;
    if (tokens_[t].kind == Token::String) shades_[t] = Shade::String;
  }
  const auto is = [&](std::size_t w, unsigned what) { return (classes_[w] & what) != 0; };
  for (std::size_t w = 0; w < words_.size(); ++w)
    if (is(w, Directive)) shades_[words_[w]] = Shade::Keyword;

  if (!words_.empty()) {
    std::size_t mnemonic = 0;
    const std::size_t first = words_[0];
    const bool labelled = first + 1 < tokens_.size() && tokens_[first + 1].kind == Token::Other &&
                          text(first + 1).starts_with(':');
    if (labelled) {
      shades_[first] = Shade::Label;
      mnemonic = 1;
    } else if (words_.size() > 1 && adjacent(first, words_[1])) {
      // Before PROC, STRUC and the like stands a name, even one spelt as a
      // directive ("Dup PROC").
      const std::string_view second = word(1);
      if (is(1, Defining)) {
        shades_[first] = Shade::Label;
        if (is(1, ProcBegin)) into.procedureBegins = word(0);
        if (is(1, ProcEnd)) into.procedureEnds = true;
      } else if (const int structure =
                     classes_[1] == 0 && !is(0, Directive) ? resolve_(second, true) : -1;
                 structure >= 0) {
        // 'name STRUCNAME <...>': a variable of the structure's type
        shades_[first] = Shade::Label;
        shades_[words_[1]] = Shade::Reference;
        targets[words_[1]] = structure;
        into.structureUsed = structure;
      }
    }
    if (into.structureUsed < 0 && !labelled && !is(0, Directive)) {
      // 'STRUCNAME <...>': an unnamed one
      std::uint32_t next = tokens_[first].start + tokens_[first].length;
      while (next < size && isBlank(static_cast<unsigned char>(line[next]))) ++next;
      if (next < size && line[next] == '<') {
        if (const int structure = resolve_(word(0), true); structure >= 0) {
          shades_[first] = Shade::Reference;
          targets[first] = structure;
          into.structureUsed = structure;
        }
      }
    }
    if (mnemonic < words_.size()) {
      if (is(mnemonic, CommentBlock)) {
        // The block runs from the first byte after the keyword to the
        // next appearance of that byte.
        const std::size_t keyword = words_[mnemonic];
        const std::uint32_t begin = tokens_[keyword].start;
        std::uint32_t from = begin + tokens_[keyword].length;
        while (from < size && isBlank(static_cast<unsigned char>(line[from]))) ++from;
        tokens_.resize(keyword);
        shades_.resize(keyword);
        targets.resize(keyword);
        tokens_.push_back({Token::Comment, begin, size - begin});
        shades_.push_back(Shade::Comment);
        targets.push_back(-1);
        if (from < size && line.find(line[from], from + 1) == std::string_view::npos)
          commentDelimiter_ = line[from];
      } else if (is(mnemonic, Jump)) {
        std::size_t w = mnemonic + 1;
        while (w < words_.size() && is(w, Distance) && adjacent(words_[w - 1], words_[w])) ++w;
        if (w < words_.size() && adjacent(words_[w - 1], words_[w])) {
          if (const int entry = resolve_(word(w), false); entry >= 0) {
            shades_[words_[w]] = Shade::Reference;
            targets[words_[w]] = entry;
            if (is(mnemonic, Call)) into.calls.push_back(entry);
          }
        }
      }
    }
  }

  markMacroProcedure(line, into);

  for (std::size_t t = 0; t < tokens_.size(); ++t) {
    const std::string_view bytes = text(t);
    if (!into.pieces.empty() && shades_[t] == Shade::Text && into.pieces.back().shade == Shade::Text) {
      const std::string_view& last = into.pieces.back().bytes;
      into.pieces.back().bytes = std::string_view(last.data(), last.size() + bytes.size());
    } else {
      into.pieces.push_back({shades_[t], bytes, targets[t]});
    }
  }
}

// A line that declares a procedure through a macro begins its body, as
// 'name PROC' does: the macro's word is shown as a directive, the name as
// the one being defined.
void LineReader::markMacroProcedure(std::string_view line, LineReading& into) {
  std::string_view declared;
  if (macros_.empty() ||
      !macroProcedureName(Cursor(line.data(), static_cast<std::uint32_t>(line.size())), macros_,
                          declared))
    return;
  into.procedureBegins = declared;
  const auto start = static_cast<std::uint32_t>(declared.data() - line.data());
  for (std::size_t w = 0; w < words_.size() && words_[w] < tokens_.size(); ++w) {
    if (w == 0) shades_[words_[w]] = Shade::Keyword;
    if (tokens_[words_[w]].start == start) shades_[words_[w]] = Shade::Label;
  }
}

std::vector<std::uint32_t> lineStarts(std::string_view text) {
  std::vector<std::uint32_t> starts{0};
  for (std::uint32_t at = 0; at < text.size(); ++at) {
    if (text[at] == '\r') {
      if (at + 1 < text.size() && text[at + 1] == '\n') ++at;
      starts.push_back(at + 1);
    } else if (text[at] == '\n') {
      starts.push_back(at + 1);
    }
  }
  if (starts.size() > 1 && starts.back() == text.size()) starts.pop_back();
  return starts;
}

std::uint32_t lineOf(const std::vector<std::uint32_t>& starts, std::uint32_t offset) {
  const auto after = std::upper_bound(starts.begin(), starts.end(), offset);
  return static_cast<std::uint32_t>(after - starts.begin()) - 1;
}

std::string_view lineAt(std::string_view text, const std::vector<std::uint32_t>& starts,
                        std::uint32_t line) {
  const std::uint32_t start = starts[line];
  std::uint32_t end = line + 1 < starts.size() ? starts[line + 1] : static_cast<std::uint32_t>(text.size());
  while (end > start && (text[end - 1] == '\n' || text[end - 1] == '\r')) --end;
  return text.substr(start, end - start);
}

}  // namespace pirvex::site

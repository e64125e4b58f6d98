// Reading source lines as an assembler programmer reads them, for the
// site's source view and its references: comments, strings, directives,
// labels, the targets of CALL and the jumps, the bounds of PROC bodies and
// structures used as a type. Light by design: a line is looked at alone,
// apart from COMMENT blocks, which span lines.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "scan/entries.h"

namespace pirvex::site {

enum class Shade { Text, Comment, String, Keyword, Label, Reference };

struct Piece {
  Shade shade = Shade::Text;
  std::string_view bytes;
  int target = -1;  // for a Reference: the entry it leads to
};

// What one line holds.
struct LineReading {
  std::vector<Piece> pieces;  // together, the whole line
  std::string_view procedureBegins;  // 'name PROC': the name
  bool procedureEnds = false;        // 'name ENDP'
  std::vector<int> calls;            // entries named after CALL
  int structureUsed = -1;            // 'name STRUCNAME <...>': the structure's entry
};

// Finds the entry a name stands for, a procedure or a structure as asked;
// -1 when it names none.
using Resolver = std::function<int(std::string_view name, bool structure)>;

class LineReader {
 public:
  // `macros`: first words of lines that declare a procedure as 'name PROC'
  // does; they must outlive the reader.
  explicit LineReader(Resolver resolve, ProcedureMacros macros = {})
      : resolve_(std::move(resolve)), macros_(macros) {}

  // Reads the next line of a file (without its line end) into `into`;
  // lines are given in order, since a COMMENT block spans them.
  void read(std::string_view line, LineReading& into);

  struct Token {
    enum Kind : unsigned char { Word, String, Comment, Other } kind;
    std::uint32_t start;
    std::uint32_t length;
  };

 private:
  void markMacroProcedure(std::string_view line, LineReading& into);

  Resolver resolve_;
  ProcedureMacros macros_;
  char commentDelimiter_ = 0;  // inside a COMMENT block: its delimiter
  std::vector<Token> tokens_;   // kept from line to line
  std::vector<std::size_t> words_;
  std::vector<Shade> shades_;
  std::vector<int> targets_;
  std::vector<unsigned> classes_;
};

// The lines of a text, split at CR LF, CR or LF: where each begins.
std::vector<std::uint32_t> lineStarts(std::string_view text);
// The line (from 0) that holds the offset.
std::uint32_t lineOf(const std::vector<std::uint32_t>& starts, std::uint32_t offset);
// The line's bytes without its line end.
std::string_view lineAt(std::string_view text, const std::vector<std::uint32_t>& starts,
                        std::uint32_t line);

}  // namespace pirvex::site

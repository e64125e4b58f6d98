// Writes a deterministic, realistic assembly project for benchmarking
// pirVex: a main file that includes every module, documented procedures
// with "@" sections and see-also lists naming other procedures and
// structures, public and undocumented entries, structures with DUP fields,
// umlauts in code page 437, and CR LF line ends.
//
//   pirvex_generate PROCEDURES DIRECTORY [--modules=N] [--comments]
//
// --modules=N spreads the procedures over N module files "modD/mK.asm",
// each assembled on its own: main.asm includes none of them, and all.asm is
// main.asm with an INCLUDE of every module, the same procedures reached the
// other way. --comments documents procedures with plain ";---" comments, as
// code not written for pirVex does, instead of ";*" blocks.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Random {
  std::uint64_t state;
  std::uint32_t next(std::uint32_t bound) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<std::uint32_t>(state >> 33) % bound;
  }
};

const char* const Words[] = {"liest",
                             "schreibt",
                             "den",
                             "Puffer",
                             "Zeile",
                             "Zeichen",
                             "aus",
                             "der",
                             "Datei",
                             "pr\x81"
                             "ft",
                             "Gr\x94\xE1"
                             "e",
                             "L\x84nge",
                             "setzt",
                             "Flag",
                             "bei",
                             "Fehler",
                             "zur\x81"
                             "ck",
                             "Register",
                             "Speicher",
                             "\x9A"
                             "berlauf"};
const char* const Registers[] = {"AX", "BX", "CX", "DX", "SI", "DI", "ES:DI", "DS:SI"};

std::string procedureName(std::uint32_t i) { return "Proc" + std::to_string(i); }
std::string structureName(std::uint32_t i) { return "STRUCT" + std::to_string(i); }

std::string sentence(Random& random) {
  std::string text;
  std::uint32_t words = 4 + random.next(8);
  for (std::uint32_t w = 0; w < words; ++w) {
    if (w) text += ' ';
    text += Words[random.next(sizeof Words / sizeof *Words)];
  }
  return text + ".";
}

// A procedure documented as its authors write plain comments.
std::string plainComments(Random& random, std::uint32_t procedure) {
  std::string text = ";--- " + procedureName(procedure) + ": " + sentence(random) + "\r\n";
  text += ";--- inp: " + std::string(Registers[random.next(8)]) + "  " + sentence(random) + "\r\n";
  text += ";---      " + std::string(Registers[random.next(8)]) + "  " + sentence(random) + "\r\n";
  text += ";--- out: AX  " + sentence(random) + "\r\n";
  return text;
}

}  // namespace

int main(int argc, char** argv) {
  std::uint32_t spreadOver = 0;  // modules assembled on their own; 0: all included
  bool comments = false;
  for (int a = 3; a < argc; ++a) {
    const std::string option = argv[a];
    if (option.starts_with("--modules="))
      spreadOver = static_cast<std::uint32_t>(std::strtoul(option.c_str() + 10, nullptr, 10));
    else if (option == "--comments")
      comments = true;
    else
      argc = 0;
  }
  if (argc < 3) {
    std::fprintf(stderr, "usage: pirvex_generate PROCEDURES DIRECTORY [--modules=N] [--comments]\n");
    return 2;
  }
  const std::uint32_t procedures = static_cast<std::uint32_t>(std::strtoul(argv[1], nullptr, 10));
  const std::filesystem::path root = argv[2];
  const std::uint32_t perModule =
      spreadOver == 0 ? 200 : std::max<std::uint32_t>(1, (procedures + spreadOver - 1) / spreadOver);
  const std::uint32_t modules = (procedures + perModule - 1) / perModule;
  const std::uint32_t structures = procedures / 10 + 1;
  Random random{procedures};

  std::string mainText = "; Benchmark project\r\n        .MODEL SMALL\r\n";
  mainText += ";*@CONFIG-TAB: img\\head.gif 600 24\r\n";
  std::string includes;
  std::uint32_t next = 0;
  std::uint32_t nextStructure = 0;
  const std::string extension = spreadOver == 0 ? ".inc" : ".asm";
  for (std::uint32_t m = 0; m < modules; ++m) {
    std::string directory = "mod" + std::to_string(m % 10);
    std::string file = "m" + std::to_string(m) + extension;
    includes += "        INCLUDE " + directory + "\\" + file + "\r\n";
    std::string text;
    if (m % 7 == 0) text += ";*@CONFIG-TAB:\r\n";
    for (std::uint32_t p = 0; p < perModule && next < procedures; ++p, ++next) {
      if (next % 10 == 0 && nextStructure < structures) {
        std::uint32_t s = nextStructure++;
        text += ";* Felder von " + structureName(s) + ".\r\n";
        text += structureName(s) + " STRUC\r\n";
        text += "  len   dw ?        ; L\x84nge\r\n";
        text += "  buf   db " + std::to_string(16 + random.next(240)) + " DUP (?)\r\n";
        text += "  flags db 0\r\n";
        text += structureName(s) + " ENDS\r\n\r\n";
      }
      const std::uint32_t kind = random.next(10);
      if (kind == 0) {  // undocumented
        text += procedureName(next) + " PROC NEAR\r\n        ret\r\n" + procedureName(next) +
                " ENDP\r\n\r\n";
        continue;
      }
      if (comments) {
        text += plainComments(random, next) + procedureName(next) + " PROC NEAR\r\n";
        text += "        ret\r\n" + procedureName(next) + " ENDP\r\n\r\n";
        continue;
      }
      if (kind == 1) text += ";*@PUBLIC: Api" + std::to_string(next) + "\r\n";
      std::uint32_t lines = 1 + random.next(3);
      for (std::uint32_t l = 0; l < lines; ++l) text += ";* " + sentence(random) + "\r\n";
      text += ";*@Parameter:\r\n";
      for (std::uint32_t r = 0; r < 2; ++r)
        text += ";* " + std::string(Registers[random.next(8)]) + "  " + sentence(random) + "\r\n";
      text += "; interne Notiz\r\n";
      text += ";*@Ergebnis:\r\n;* AX  " + sentence(random) + "\r\n";
      text += ";*@see:\r\n;* " + procedureName(random.next(procedures)) + ", " +
              structureName(random.next(structures)) + "\r\n";
      if (random.next(2)) text += ";* " + procedureName(random.next(procedures)) + "\r\n";
      text += procedureName(next) + " PROC NEAR\r\n";
      std::uint32_t body = 3 + random.next(6);
      for (std::uint32_t b = 0; b < body; ++b)
        text += "        mov  " + std::string(Registers[random.next(4)]) + ", " +
                std::to_string(random.next(65536)) + "\r\n";
      text += "        ret\r\n" + procedureName(next) + " ENDP\r\n\r\n";
    }
    std::filesystem::create_directories(root / directory);
    std::ofstream(root / directory / file, std::ios::binary) << text;
  }
  const std::string start =
      ";* Startpunkt des Programms.\r\nStart PROC NEAR\r\n        ret\r\nStart ENDP\r\n        "
      "END\r\n";
  std::filesystem::create_directories(root);
  if (spreadOver == 0) {
    std::ofstream(root / "main.asm", std::ios::binary) << mainText + includes + start;
  } else {
    std::ofstream(root / "main.asm", std::ios::binary) << mainText + start;
    std::ofstream(root / "all.asm", std::ios::binary) << mainText + includes + start;
  }
  return 0;
}

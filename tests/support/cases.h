// End-to-end cases kept as data, one directory each below tests/cases:
//
//   args     the arguments after the program's name, one per line (an empty
//            line is an empty argument); no file: no arguments
//   cwd      optional, one line: where the run starts, relative to the input
//            root; default the root
//   console  the console output from its second line on (the banner is not
//            compared: it carries the version)
//   in/      the tree the run starts with; absent for a run without files
//   from     optional, instead of in/: one line, a directory relative to the
//            repository root whose tree is the input, less a top-level
//            "pirVex" directory (left there when someone ran pirVex in it)
//   out/     every file the run creates or changes, with its exact bytes, at
//            its path relative to the input root
//   status   optional: the exit status, default 0
//   errors   optional: what the run writes to standard error, default
//            nothing
//   links-checked  optional, empty: every link and frame of the output
//            directory must reach an existing page and anchor
//   markup-checked  optional, empty: no page of the output directory holds
//            a tag or attribute that the pages do not write themselves (one
//            that a name or path brought in)
//   fifos-and-links  optional: what the input holds besides regular files,
//            laid out after in/, one per line: `fifo PATH` or `link PATH TARGET`,
//            PATH relative to the input root and "/"-separated, TARGET as
//            the link holds it, relative to the link's directory
//
// After the run the tree must be exactly the input plus out/: input files
// that out/ does not name unchanged, and no other file. Trees hold regular
// files only; every FIFO and link must still be there as it was, a link
// still a link to its target.
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace pirvex::testing {

// Every file below a directory, by its "/"-separated relative path.
using FileTree = std::map<std::string, std::string>;

// The regular files below `root`, no link followed and no FIFO opened; with
// `skipOutputDirectory`, less those below a top-level "pirVex". An absent
// root is an empty tree.
FileTree readTree(const std::filesystem::path& root, bool skipOutputDirectory = false);
void writeTree(const std::filesystem::path& root, const FileTree& tree);

// A FIFO, or a symbolic link to `target`, at `path` below the input root.
struct SpecialEntry {
  bool link = false;
  std::string path;
  std::string target;
};

struct Case {
  std::string name;
  std::filesystem::path directory;
  std::vector<std::string> arguments;
  std::string currentDirectory;
  std::string console;
  std::string errors;
  int status = 0;
  bool linksChecked = false;
  bool markupChecked = false;
  FileTree input;
  FileTree output;
  std::vector<SpecialEntry> special;

  // The input with out/ laid over it: the whole tree after the run.
  FileTree expectedTree() const;
};

// The names of the case directories, sorted.
std::vector<std::string> caseNames();
Case loadCase(const std::string& name);

// Empty when the run gave what the case expects; otherwise a unified diff
// of the console and of every differing file, and the missing and
// unexpected files.
std::string caseDifferences(const Case& expected, std::string_view console,
                            std::string_view errors, int status, const FileTree& after);

// Makes the special entries below `root`, where the input is laid out.
void makeSpecialEntries(const std::filesystem::path& root, const std::vector<SpecialEntry>& special);
// Whether the entry is still there below `root` as it was made.
bool specialStillThere(const std::filesystem::path& root, const SpecialEntry& entry);
// Empty when `stillThere` holds for every entry; otherwise the others.
std::string specialDifferences(const std::vector<SpecialEntry>& special,
                               const std::function<bool(const SpecialEntry&)>& stillThere);

// Whether PIRVEX_UPDATE_CASES=1 asks for expectations to be written.
bool updatingCases();
// Writes the console, standard error and status and, as out/, every file of
// `after` that is not in the input as it was, in place of what the case
// held.
void recordCase(const Case& run, std::string_view console, std::string_view errors, int status,
                const FileTree& after);

}  // namespace pirvex::testing

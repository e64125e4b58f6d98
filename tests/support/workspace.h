// A fresh temporary directory to run pirVex in, with helpers to lay out
// sources and read back every byte the run leaves.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace pirvex::testing {

// The text with every "\n" turned into CR LF, so expected pages can be
// written as readable raw strings.
std::string crlf(std::string_view text);

// How the built pirvex is run.
struct RunOptions {
  std::string directory;  // where it runs, relative to the workspace
  int user = -1;          // when not -1, the user and group id the run takes on
  // Limits of the run in bytes, or of open descriptors; -1: as the tests have them.
  long long fileSizeLimit = -1;
  long long addressSpaceLimit = -1;
  long long openFilesLimit = -1;
  bool closeStandardOutput = false;  // started with descriptor 1 closed
  bool readFirstLineOnly = false;    // standard output a pipe closed after one line
  // When not -1, the run is killed by SIGALRM after this many seconds: a run
  // that hangs fails its test instead of holding up the whole tier.
  int secondsLimit = -1;
};

// What a run of the built pirvex gave.
struct RunResult {
  std::string console;  // standard output, banner included
  std::string errors;   // standard error
  int status = -1;      // exit status, or 128 + the signal that ended it
  double seconds = 0;   // wall time
};

// A run of the built pirvex that has been started and not yet waited for.
struct StartedRun {
  int process = -1;
  int output = -1;  // the read end of its standard output
  std::string errorsFile;
  bool firstLineOnly = false;
  double startedAt = 0;
};

class Workspace {
 public:
  Workspace();
  ~Workspace();
  Workspace(const Workspace&) = delete;
  Workspace& operator=(const Workspace&) = delete;

  const std::filesystem::path& path() const { return root_; }
  void write(const std::string& relative, std::string_view bytes) const;
  std::string read(const std::string& relative) const;
  bool exists(const std::string& relative) const;
  // The files below the directory, relative and sorted.
  std::vector<std::string> files() const;

  // Runs the built pirvex here with the arguments; gives its console output
  // from the second line on (the first is the banner) and expects exit 0.
  // `directory` is where it runs, relative to the workspace.
  // `user`, when not -1, is the user and group id the run takes on.
  std::string run(const std::vector<std::string>& arguments, const std::string& directory = "",
                  int user = -1) const;
  // The whole console output, banner included.
  std::string runRaw(const std::vector<std::string>& arguments, int& exitCode,
                     const std::string& directory = "", int user = -1) const;
  RunResult execute(const std::vector<std::string>& arguments,
                    const RunOptions& options = {}) const;
  // The two halves of execute, so that runs can overlap: start forks and
  // execs (the child only calls what is safe after a fork in a process with
  // threads), finish reads the run's output and waits for it.
  StartedRun start(const std::vector<std::string>& arguments, const RunOptions& options = {}) const;
  static RunResult finish(StartedRun& run);

 private:
  std::filesystem::path root_;
};

}  // namespace pirvex::testing

#include "support/workspace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace pirvex::testing {

std::string crlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

Workspace::Workspace() {
  std::string pattern = (std::filesystem::temp_directory_path() / "pirvex-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  root_ = pattern;
}

Workspace::~Workspace() {
  std::error_code ignored;
  std::filesystem::remove_all(root_, ignored);
}

void Workspace::write(const std::string& relative, std::string_view bytes) const {
  std::filesystem::path file = root_ / relative;
  std::filesystem::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Workspace::read(const std::string& relative) const {
  std::ifstream in(root_ / relative, std::ios::binary);
  if (!in) return "<missing file " + relative + ">";
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

bool Workspace::exists(const std::string& relative) const {
  return std::filesystem::exists(std::filesystem::symlink_status(root_ / relative));
}

std::vector<std::string> Workspace::files() const {
  std::vector<std::string> result;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(root_))
    if (!entry.is_directory()) result.push_back(entry.path().lexically_relative(root_).string());
  std::sort(result.begin(), result.end());
  return result;
}

namespace {

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

StartedRun Workspace::start(const std::vector<std::string>& arguments,
                            const RunOptions& options) const {
  // Everything the child needs is made here: between fork and exec it may
  // not allocate, since another thread may hold the allocator's lock.
  static std::atomic<unsigned> runs{0};
  const std::string where = (root_ / options.directory).string();
  StartedRun started;
  started.errorsFile = root_.string() + ".errors" + std::to_string(runs++);
  started.firstLineOnly = options.readFirstLineOnly;
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(PIRVEX_BINARY));
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  struct Limit {
    int resource;
    long long value;
  };
  const Limit limits[] = {{RLIMIT_FSIZE, options.fileSizeLimit},
                          {RLIMIT_AS, options.addressSpaceLimit},
                          {RLIMIT_NOFILE, options.openFilesLimit}};

  // Close-on-exec, so that a run started beside this one does not hold this
  // one's pipe open.
  int pipeEnds[2];
  if (::pipe2(pipeEnds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  started.startedAt = now();
  pid_t child = ::fork();
  if (child < 0) throw std::runtime_error("fork failed");
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    int errors = ::open(started.errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(errors, STDERR_FILENO);
    if (errors > STDERR_FILENO) ::close(errors);
    if (options.closeStandardOutput) ::close(STDOUT_FILENO);
    for (const Limit& limit : limits) {
      if (limit.value < 0) continue;
      struct rlimit bound {
        static_cast<rlim_t>(limit.value), static_cast<rlim_t>(limit.value)
      };
      ::setrlimit(limit.resource, &bound);
    }
    if (options.user != -1 && (::setgid(static_cast<gid_t>(options.user)) != 0 ||
                               ::setuid(static_cast<uid_t>(options.user)) != 0))
      ::_exit(126);
    if (::chdir(where.c_str()) != 0) ::_exit(127);
    if (options.secondsLimit > 0) ::alarm(static_cast<unsigned>(options.secondsLimit));
    ::execv(PIRVEX_BINARY, argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  started.process = child;
  started.output = pipeEnds[0];
  return started;
}

RunResult Workspace::finish(StartedRun& run) {
  RunResult result;
  char chunk[4096];
  for (;;) {
    ssize_t got = ::read(run.output, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    result.console.append(chunk, static_cast<std::size_t>(got));
    if (run.firstLineOnly && result.console.find('\n') != std::string::npos) break;
  }
  ::close(run.output);
  int status = 0;
  while (::waitpid(run.process, &status, 0) < 0 && errno == EINTR) {
  }
  result.seconds = now() - run.startedAt;
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::ifstream in(run.errorsFile, std::ios::binary);
  std::ostringstream errors;
  errors << in.rdbuf();
  result.errors = errors.str();
  std::filesystem::remove(run.errorsFile);
  return result;
}

RunResult Workspace::execute(const std::vector<std::string>& arguments,
                             const RunOptions& options) const {
  StartedRun started = start(arguments, options);
  return finish(started);
}

std::string Workspace::runRaw(const std::vector<std::string>& arguments, int& exitCode,
                              const std::string& directory, int user) const {
  RunOptions options;
  options.directory = directory;
  options.user = user;
  RunResult result = execute(arguments, options);
  exitCode = result.status;
  return result.console;
}

std::string Workspace::run(const std::vector<std::string>& arguments, const std::string& directory,
                           int user) const {
  int exitCode = -1;
  std::string output = runRaw(arguments, exitCode, directory, user);
  EXPECT_EQ(exitCode, 0);
  std::size_t bannerEnd = output.find("\r\n");
  EXPECT_NE(bannerEnd, std::string::npos) << "no banner line";
  return bannerEnd == std::string::npos ? output : output.substr(bannerEnd + 2);
}

}  // namespace pirvex::testing

#include "support/workspace.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
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

RunResult Workspace::execute(const std::vector<std::string>& arguments,
                            const RunOptions& options) const {
  const std::string where = (root_ / options.directory).string();
  const std::string errorsFile = root_.string() + ".errors";
  int pipeEnds[2];
  if (::pipe(pipeEnds) != 0) throw std::runtime_error("pipe failed");
  const auto started = std::chrono::steady_clock::now();
  pid_t child = ::fork();
  if (child == 0) {
    ::dup2(pipeEnds[1], STDOUT_FILENO);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    int errors = ::open(errorsFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::dup2(errors, STDERR_FILENO);
    ::close(errors);
    if (options.closeStandardOutput) ::close(STDOUT_FILENO);
    auto limit = [](int resource, long long value) {
      if (value < 0) return;
      struct rlimit bound{static_cast<rlim_t>(value), static_cast<rlim_t>(value)};
      ::setrlimit(resource, &bound);
    };
    limit(RLIMIT_FSIZE, options.fileSizeLimit);
    limit(RLIMIT_AS, options.addressSpaceLimit);
    limit(RLIMIT_NOFILE, options.openFilesLimit);
    if (options.user != -1 && (::setgid(static_cast<gid_t>(options.user)) != 0 ||
                               ::setuid(static_cast<uid_t>(options.user)) != 0))
      ::_exit(126);
    if (::chdir(where.c_str()) != 0) ::_exit(127);
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(PIRVEX_BINARY));
    for (const std::string& argument : arguments)
      argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    ::execv(PIRVEX_BINARY, argv.data());
    ::_exit(127);
  }
  ::close(pipeEnds[1]);
  RunResult result;
  char chunk[4096];
  for (;;) {
    ssize_t got = ::read(pipeEnds[0], chunk, sizeof chunk);
    if (got <= 0) break;
    result.console.append(chunk, static_cast<std::size_t>(got));
    if (options.readFirstLineOnly && result.console.find('\n') != std::string::npos) break;
  }
  ::close(pipeEnds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  std::ifstream in(errorsFile, std::ios::binary);
  std::ostringstream errors;
  errors << in.rdbuf();
  result.errors = errors.str();
  std::filesystem::remove(errorsFile);
  return result;
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

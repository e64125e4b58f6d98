#include "support/in_process.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "driver/run.h"

namespace pirvex::testing {

std::string runInProcess(const Workspace& workspace, const std::string& commandLine) {
  std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::path console = workspace.path().string() + ".console";
  std::fflush(stdout);
  int saved = ::dup(STDOUT_FILENO);
  int capture = ::open(console.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ::dup2(capture, STDOUT_FILENO);
  ::close(capture);
  std::filesystem::current_path(workspace.path());
  runTool(commandLine);
  std::filesystem::current_path(previous);
  ::dup2(saved, STDOUT_FILENO);
  ::close(saved);
  std::ifstream in(console, std::ios::binary);
  std::ostringstream output;
  output << in.rdbuf();
  std::filesystem::remove(console);
  std::string text = output.str();
  std::size_t bannerEnd = text.find("\r\n");
  return bannerEnd == std::string::npos ? text : text.substr(bannerEnd + 2);
}

}  // namespace pirvex::testing

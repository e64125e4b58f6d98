// Coverage-guided fuzz target: a fuzzed main source, a fuzzed included file
// and a fuzzed command-line tail, run through the whole tool in a fresh
// directory. Besides the sanitizers it checks that no source loses a byte
// and that no file stays open after the run.
//
// Input: TAIL 0xFF 0xFE MAIN 0xFF 0xFE INCLUDED (missing parts are empty).
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "driver/run.h"
#include "platform/buffered_platform.h"
#include "platform/posix_platform.h"

namespace {

std::filesystem::path workRoot;

int openDescriptorCount() {
  int count = 0;
  if (DIR* directory = ::opendir("/proc/self/fd")) {
    while (::readdir(directory)) ++count;
    ::closedir(directory);
  }
  return count;
}

void writeFile(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream content;
  content << in.rdbuf();
  return content.str();
}

std::string_view takePart(std::string_view& rest) {
  std::size_t separator = rest.find("\xFF\xFE");
  std::string_view part = rest.substr(0, separator);
  rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator + 2);
  return part;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/pirvex-fuzz-XXXXXX";
  if (!::mkdtemp(pattern)) std::abort();
  workRoot = pattern;
  // The console lines are not looked at here; keep the fuzzer's own output readable.
  int null = ::open("/dev/null", O_WRONLY);
  ::dup2(null, STDOUT_FILENO);
  ::close(null);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(workRoot, ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view tail = takePart(rest);
  std::string_view mainSource = takePart(rest);
  std::string_view included = rest;
  // A main name that climbs with ".." puts its page beside the source it
  // names, wherever that is; keep the fuzzer inside its own directory.
  if (tail.find("..") != std::string_view::npos || tail.find('\0') != std::string_view::npos)
    return -1;

  std::filesystem::path run = workRoot / "run";
  std::error_code ignored;
  std::filesystem::remove_all(run, ignored);
  std::filesystem::create_directories(run);
  writeFile(run / "main.asm", mainSource);
  writeFile(run / "inc.inc", included);
  std::filesystem::current_path(run);

  int descriptorsBefore = openDescriptorCount();
  {
    pirvex::platform::PosixPlatform system;
    pirvex::platform::BufferedPlatform platform(system);
    (void)pirvex::runTool(platform, "pirvex " + std::string(tail));
  }
  if (openDescriptorCount() != descriptorsBefore) {
    std::fprintf(stderr, "a file stayed open after the run\n");
    std::abort();
  }
  if (readFile(run / "main.asm") != mainSource || readFile(run / "inc.inc") != included) {
    std::fprintf(stderr, "a source file changed\n");
    std::abort();
  }
  std::filesystem::current_path(workRoot);
  return 0;
}

// Coverage-guided fuzz target: a fuzzed main source, a fuzzed included file
// and a fuzzed command-line tail, run through the whole tool in a fresh
// directory whose pirVex/ already holds what an earlier run or a hostile
// archive may leave: index files built from the input, a symbolic link to a
// directory outside the run directory, one to a file outside, and a real
// directory. Besides the sanitizers it checks that no source loses a byte,
// that nothing outside the run's own output changes (the outside directory
// and file, the links, which may be replaced but never written through),
// and that no file stays open after the run. Every input runs twice, the
// second time with --check, which must leave every page as it was; every
// other input is read with --comments and two --proc-macro words; then the
// sources are documented as modules over the fake platform's tree.
//
// Input: TAIL 0xFF 0xFE MAIN 0xFF 0xFE INCLUDED 0xFF 0xFE INDEX (missing
// parts are empty). INDEX is planted as both index files.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/run.h"
#include "platform/buffered_platform.h"
#include "platform/posix_platform.h"
#include "support/fake_platform.h"

namespace {

namespace fs = std::filesystem;

fs::path workRoot;

// What the run must leave alone, outside its directory: a directory that a
// planted link leads to, holding pages as pirVex writes them (so that the
// see-also pass would take them up), and a page file another link leads to.
constexpr std::string_view OutsidePage =
    "<HTML>\r\n<B>see:</B>\r\n<UL>\r\n<LI>Foo, BAR\r\n</UL>\r\n</HTML>";

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

// Every entry below the root: a file's bytes, a link's target, a directory.
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  std::error_code error;
  for (auto it = fs::recursive_directory_iterator(root, error);
       !error && it != fs::recursive_directory_iterator(); it.increment(error)) {
    std::string name = it->path().lexically_relative(root).string();
    if (it->is_symlink())
      entries[name] = "link " + fs::read_symlink(it->path()).string();
    else if (it->is_directory())
      entries[name] = "directory";
    else
      entries[name] = "file " + readFile(it->path());
  }
  return entries;
}

std::map<std::string, std::string> outsideBefore;

// The system back end with standard error collected instead of written, so
// that the run's lines can be checked and the fuzzer's own output stays
// readable.
class CollectedErrors final : public pirvex::platform::Platform {
 public:
  using File = pirvex::platform::File;
  explicit CollectedErrors(Platform& system) : system_(system) {}
  std::string errors;

  void printError(std::string_view message) override {
    errors += message.substr(0, message.find('\0'));
  }
  void printMessage(std::string_view message) override { system_.printMessage(message); }
  void createDirectories(std::string_view path) override { system_.createDirectories(path); }
  File createFileAnew(std::string_view path) override { return system_.createFileAnew(path); }
  File openForReading(std::string_view path) override { return system_.openForReading(path); }
  File openForWriting(std::string_view path, std::uint32_t offset) override {
    return system_.openForWriting(path, offset);
  }
  bool fileSize(File file, std::uint32_t& size) override {
    return system_.fileSize(file, size);
  }
  std::uint32_t readBytes(File file, void* destination, std::uint32_t count) override {
    return system_.readBytes(file, destination, count);
  }
  std::uint32_t readBytesAt(File file, std::uint32_t offset, void* destination,
                            std::uint32_t count) override {
    return system_.readBytesAt(file, offset, destination, count);
  }
  std::uint32_t writeBytes(File file, const void* bytes, std::uint32_t count) override {
    return system_.writeBytes(file, bytes, count);
  }
  std::uint32_t writeBytesAt(File file, std::uint32_t offset, const void* bytes,
                             std::uint32_t count) override {
    return system_.writeBytesAt(file, offset, bytes, count);
  }
  bool closeFile(File file) override { return system_.closeFile(file); }
  bool fileIdentity(File file, pirvex::platform::FileIdentity& identity) override {
    return system_.fileIdentity(file, identity);
  }
  bool fileIdentityByName(std::string_view path,
                          pirvex::platform::FileIdentity& identity) override {
    return system_.fileIdentityByName(path, identity);
  }
  bool listDirectory(std::string_view path,
                     std::vector<pirvex::platform::DirectoryEntry>& entries) override {
    return system_.listDirectory(path, entries);
  }
  bool directoryIdentity(std::string_view path,
                         pirvex::platform::FileIdentity& identity) override {
    return system_.directoryIdentity(path, identity);
  }
  void* obtainMemory(std::size_t size, pirvex::platform::MemoryUse use,
                     std::string_view subject) override {
    return system_.obtainMemory(size, use, subject);
  }
  void releaseMemory(void* block) override { system_.releaseMemory(block); }

 private:
  Platform& system_;
};

// Standard error holds nothing but lines naming output files not written in
// full, each by its path below "pirVex" with "\" separators, once, and, with
// --check, findings "FILE(LINE): Warnung: TEXT"; and there are such lines
// exactly when the run says so by its exit status.
bool errorsMatchStatus(const std::string& errors, int status, bool checked) {
  constexpr std::string_view Unwritten = "Fehler : Ausgabedatei kann nicht geschrieben werden\r\n";
  constexpr std::string_view Finding = "): Warnung: ";
  std::set<std::string_view> named;
  std::string_view rest = errors;
  while (!rest.empty()) {
    const std::size_t lineEnd = rest.find("\r\n");
    const std::size_t unwritten = rest.find(Unwritten);
    const std::size_t finding = rest.find(Finding);
    if (checked && finding < unwritten && finding < lineEnd && lineEnd != std::string_view::npos) {
      rest.remove_prefix(lineEnd + 2);
      continue;
    }
    if (unwritten == std::string_view::npos) return false;
    std::string_view path = rest.substr(0, unwritten);
    if (!path.starts_with("pirVex\\") || path.find('/') != std::string_view::npos ||
        !named.insert(path).second)
      return false;
    rest.remove_prefix(unwritten + Unwritten.size());
  }
  return errors.empty() || status == 1;
}

std::string_view takePart(std::string_view& rest) {
  std::size_t separator = rest.find("\xFF\xFE");
  std::string_view part = rest.substr(0, separator);
  rest = separator == std::string_view::npos ? std::string_view() : rest.substr(separator + 2);
  return part;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  char pattern[] = "/tmp/pirvex-fuzz-XXXXXX";
  if (!::mkdtemp(pattern)) std::abort();
  workRoot = pattern;
  // The console lines are not looked at here; keep the fuzzer's own output readable.
  int null = ::open("/dev/null", O_WRONLY);
  ::dup2(null, STDOUT_FILENO);
  ::close(null);
  writeFile(workRoot / "outside.HTM", OutsidePage);
  fs::create_directories(workRoot / "outside");
  writeFile(workRoot / "outside" / "page.HTM", OutsidePage);
  writeFile(workRoot / "outside" / "inc_inc.HTM", OutsidePage);
  outsideBefore = snapshot(workRoot);
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(workRoot, ignored);
  });
  return 0;
}

struct RunOutcome {
  int status = -1;
  std::string errors;
  std::map<std::string, std::string> output;  // what the run left in pirVex/
};

// One run of the tool over the fuzzed sources in a fresh run directory,
// with every check that holds for any run; aborts where one fails.
RunOutcome runOnce(const std::string& tail, std::string_view mainSource,
                   std::string_view included, std::string_view index, bool checked) {
  const fs::path run = workRoot / "run";
  const fs::path output = run / "pirVex";
  std::error_code ignored;
  fs::remove_all(run, ignored);
  fs::create_directories(output / "directory");
  fs::create_directories(run / "linked");
  writeFile(run / "main.asm", mainSource);
  writeFile(run / "inc.inc", included);
  // The same source under the name of the directory link below pirVex/: its
  // page would go through that link.
  writeFile(run / "linked" / "inc.inc", included);
  writeFile(output / "f_ndx.htm", index);
  writeFile(output / "s_ndx.htm", index);
  writeFile(output / "directory" / "page.HTM", OutsidePage);
  fs::create_directory_symlink(workRoot / "outside", output / "linked");
  fs::create_symlink(workRoot / "outside.HTM", output / "main.HTM");
  fs::current_path(run);

  int descriptorsBefore = openDescriptorCount();
  RunOutcome outcome;
  {
    pirvex::platform::PosixPlatform system;
    CollectedErrors collected(system);
    pirvex::platform::BufferedPlatform platform(collected);
    outcome.status = pirvex::runTool(platform, "pirvex " + tail);
    outcome.errors = std::move(collected.errors);
  }
  if (!errorsMatchStatus(outcome.errors, outcome.status, checked)) {
    std::fprintf(stderr, "exit status %d with standard error:\n%s\n", outcome.status,
                 outcome.errors.c_str());
    std::abort();
  }
  if (openDescriptorCount() != descriptorsBefore) {
    std::fprintf(stderr, "a file stayed open after the run\n");
    std::abort();
  }
  // Outside the run directory nothing changes; in it, nothing but pirVex/:
  // the sources keep every byte.
  std::map<std::string, std::string> outsideAfter = snapshot(workRoot);
  for (auto it = outsideAfter.begin(); it != outsideAfter.end();)
    it = it->first.starts_with("run/pirVex/") ? outsideAfter.erase(it) : std::next(it);
  std::map<std::string, std::string> expected = outsideBefore;
  expected["run"] = expected["run/pirVex"] = expected["run/linked"] = "directory";
  expected["run/main.asm"] = "file " + std::string(mainSource);
  expected["run/inc.inc"] = expected["run/linked/inc.inc"] = "file " + std::string(included);
  if (outsideAfter != expected) {
    std::fprintf(stderr, "a source or a file outside the output changed\n");
    std::abort();
  }
  // A planted link is replaced by a file of the run's own, or stays as it
  // was; the planted directory stays a directory.
  auto isLinkTo = [](const fs::path& link, const fs::path& target) {
    std::error_code error;
    return fs::is_symlink(fs::symlink_status(link)) && fs::read_symlink(link, error) == target;
  };
  auto isRegular = [](const fs::path& file) {
    return fs::is_regular_file(fs::symlink_status(file));
  };
  if ((!isLinkTo(output / "linked", workRoot / "outside") && !isRegular(output / "linked")) ||
      (!isLinkTo(output / "main.HTM", workRoot / "outside.HTM") &&
       !isRegular(output / "main.HTM")) ||
      !fs::is_directory(fs::symlink_status(output / "directory"))) {
    std::fprintf(stderr, "a planted link or directory was written through\n");
    std::abort();
  }
  fs::current_path(workRoot);
  outcome.output = snapshot(output);
  return outcome;
}

// The same sources as modules of a project over the fake platform's tree,
// with a link back up that "**" must not enter and a FIFO among the
// modules: every pattern form over them, and nothing left open or held,
// no source changed.
void runModules(const std::string& tail, std::string_view mainSource, std::string_view included) {
  pirvex::testing::FakePlatform fake;
  fake.addFile("main.asm", mainSource);
  fake.addFile("inc.inc", included);
  fake.addFile("lib/a.asm", included);
  fake.addFile("lib/sub/B.ASM", mainSource);
  fake.addLink("lib/sub/up", "..");
  fake.addFifo("lib/pipe.asm");
  fake.addDirectory("pirVex/lib");
  fake.addFile("pirVex/lib/page.asm", included);
  const std::map<std::string, std::string> before = fake.files();
  int status = -1;
  {
    pirvex::platform::BufferedPlatform platform(fake);
    status = pirvex::runTool(platform,
                             "pirvex --module=lib/**/*.asm --module=*.INC --module=lib/?.asm"
                             " --module=lib/** --module=none/* " + tail);
  }
  if (fake.openFiles() != 0 || fake.liveBlocks() != 0 || fake.misuses() != 0) {
    std::fprintf(stderr, "a file or block stayed open or was misused with modules\n");
    std::abort();
  }
  if (!errorsMatchStatus(fake.errors(), status, tail.find("--check") != std::string::npos)) {
    std::fprintf(stderr, "modules: exit status %d with standard error:\n%s\n", status,
                 fake.errors().c_str());
    std::abort();
  }
  for (const auto& [path, bytes] : before) {
    if (!path.starts_with("pirVex/") && fake.fileText(path) != bytes) {
      std::fprintf(stderr, "modules: the source %s changed\n", path.c_str());
      std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view rest(reinterpret_cast<const char*>(data), size);
  std::string_view tail = takePart(rest);
  std::string_view mainSource = takePart(rest);
  std::string_view included = takePart(rest);
  std::string_view index = rest;
  // A main name that climbs with ".." puts its page beside the source it
  // names, wherever that is; keep the fuzzer inside its own directory.
  if (tail.find("..") != std::string_view::npos || tail.find('\0') != std::string_view::npos)
    return -1;
  // A fuzzed pattern on the real system could walk the whole file system:
  // modules are driven over the fake platform's tree alone.
  if (tail.find("--module") != std::string_view::npos) return -1;
  // Every other input is read as code not written for pirVex: its plain
  // comments and procedures declared through macros.
  // The harness's own options go before the fuzzed tail: after it, a quote
  // that the tail leaves open would take them into the main source's name.
  const std::string options =
      (size % 2 == 1 ? "--comments --proc-macro=procedure --proc-macro=cProc " : "") +
      std::string(tail);

  const bool fuzzedCheck = options.find("--check") != std::string::npos;
  const RunOutcome plain = runOnce(options, mainSource, included, index, fuzzedCheck);
  // --check reports and may fail the run, but writes every page the same.
  const RunOutcome checked = runOnce("--check " + options, mainSource, included, index, true);
  if (checked.output != plain.output) {
    std::fprintf(stderr, "the pages differ with --check\n");
    std::abort();
  }
  runModules(options, mainSource, included);
  return 0;
}

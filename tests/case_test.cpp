// Every case below tests/cases, run in process over the fake platform and
// as the built pirvex in a fresh directory: both runs must give the case's
// console and tree byte for byte. Again in process with --html5 and with
// --check added: the pages the case holds must not change by a byte.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/cases.h"
#include "support/in_process.h"
#include "support/link_check.h"
#include "support/markup_check.h"
#include "support/workspace.h"

namespace pirvex::testing {
namespace {

namespace fs = std::filesystem;

std::string nameOf(const ::testing::TestParamInfo<std::string>& info) { return info.param; }

class InProcess : public ::testing::TestWithParam<std::string> {};
class ManyVolumes : public ::testing::TestWithParam<std::string> {};
class Binary : public ::testing::TestWithParam<std::string> {};
class WithSite : public ::testing::TestWithParam<std::string> {};
class WithCheck : public ::testing::TestWithParam<std::string> {};

// Runs the case over a fake laid out with its input; with `filesPerVolume`,
// file indexes repeat from volume to volume (see spreadOverVolumes).
struct FakeRun {
  FakePlatform fake;
  std::string console;
  int status = -1;

  FakeRun(const Case& expected, std::uint64_t filesPerVolume,
          const std::vector<std::string>& extra = {}) {
    fake.spreadOverVolumes(filesPerVolume);
    for (const auto& [path, bytes] : expected.input) fake.addFile(path, bytes);
    for (const SpecialEntry& entry : expected.special) {
      if (entry.link)
        fake.addLink(entry.path, entry.target);
      else
        fake.addFifo(entry.path);
    }
    // Where the run starts may be reached through a link.
    platform::FileIdentity start;
    if (!expected.currentDirectory.empty() &&
        !fake.directoryIdentity(expected.currentDirectory, start))
      fake.addDirectory(expected.currentDirectory);
    fake.setCurrentDirectory(expected.currentDirectory);
    std::vector<std::string> arguments = expected.arguments;
    arguments.insert(arguments.end(), extra.begin(), extra.end());
    console = runInProcess(fake, arguments, &status);
  }
  std::string differences(const Case& expected) const {
    return caseDifferences(expected, console, fake.errors(), status, fake.files()) +
           specialDifferences(expected);
  }
  std::string specialDifferences(const Case& expected) const {
    return testing::specialDifferences(expected.special, [&](const SpecialEntry& entry) {
      std::string target;
      return entry.link ? fake.linkTarget(entry.path, target) && target == entry.target
                        : fake.hasFifo(entry.path);
    });
  }
};

TEST_P(InProcess, Run) {
  const Case expected = loadCase(GetParam());
  const FakeRun run(expected, 0);
  if (updatingCases()) {
    recordCase(expected, run.console, run.fake.errors(), run.status, run.fake.files());
    GTEST_SKIP() << "recorded; check " << expected.directory << " by hand before committing";
  }
  const std::string differences = run.differences(expected);
  EXPECT_TRUE(differences.empty()) << differences;
}

// The same run where file indexes repeat from volume to volume (every
// second file on a volume of its own), so that only whole identities tell
// files apart: cycles, sources in the way of pages and handles of one file.
TEST_P(ManyVolumes, Run) {
  if (updatingCases()) GTEST_SKIP() << "cases are recorded in process";
  const Case expected = loadCase(GetParam());
  const std::string differences = FakeRun(expected, 2).differences(expected);
  EXPECT_TRUE(differences.empty()) << differences;
}

// The same run with the HTML5 site asked for: the classic output, console
// and standard error must not change by a byte; the site's own files are
// left out of the comparison (cases named html5_* hold them), and only its
// links are followed.
TEST_P(WithSite, ClassicOutputUnchanged) {
  if (updatingCases()) GTEST_SKIP() << "cases are recorded in process";
  const Case expected = loadCase(GetParam());
  if (GetParam().starts_with("html5")) GTEST_SKIP() << "a site case of its own";
  const FakeRun run(expected, 0, {"--html5"});
  const std::string site =
      (expected.currentDirectory.empty() ? "" : expected.currentDirectory + "/") + "pirVex/html5/";
  FileTree classic;
  FileTree pages;
  for (const auto& [path, bytes] : run.fake.files()) {
    if (path.starts_with(site))
      pages.emplace(path.substr(site.size()), bytes);
    else
      classic.emplace(path, bytes);
  }
  const std::string differences =
      caseDifferences(expected, run.console, run.fake.errors(), run.status, classic) +
      run.specialDifferences(expected);
  EXPECT_TRUE(differences.empty()) << differences;
  // Whatever the sources were, every link of the site leads to a page and
  // an element of it, and no name or path brings markup into it.
  if (pages.empty()) return;
  Workspace workspace;
  writeTree(workspace.path(), pages);
  const LinkReport report = checkLinks(workspace.path());
  EXPECT_GT(report.linksChecked, 0u);
  EXPECT_TRUE(report.broken.empty()) << ::testing::PrintToString(report.broken);
  const std::vector<std::string> foreign = foreignMarkup(workspace.path());
  EXPECT_TRUE(foreign.empty()) << ::testing::PrintToString(foreign);
}

// The same run with --check asked for: the console and every file stay
// exactly as the case says; only standard error and the exit status may
// say more.
TEST_P(WithCheck, OutputUnchanged) {
  if (updatingCases()) GTEST_SKIP() << "cases are recorded in process";
  const Case expected = loadCase(GetParam());
  const FakeRun run(expected, 0, {"--check"});
  const std::string differences = caseDifferences(expected, run.console, expected.errors,
                                                  expected.status, run.fake.files());
  EXPECT_TRUE(differences.empty()) << differences;
}

TEST_P(Binary, Run) {
  if (updatingCases()) GTEST_SKIP() << "cases are recorded in process";
  const Case expected = loadCase(GetParam());
  Workspace workspace;
  writeTree(workspace.path(), expected.input);
  makeSpecialEntries(workspace.path(), expected.special);
  fs::create_directories(workspace.path() / expected.currentDirectory);
  RunOptions options;
  options.directory = expected.currentDirectory;
  const RunResult run = workspace.execute(expected.arguments, options);
  const std::size_t bannerEnd = run.console.find("\r\n");
  ASSERT_NE(bannerEnd, std::string::npos) << "no banner line";
  EXPECT_TRUE(run.console.starts_with("pirVex ")) << "the banner does not name pirVex";
  const std::string differences =
      caseDifferences(expected, run.console.substr(bannerEnd + 2), run.errors, run.status,
                      readTree(workspace.path())) +
      specialDifferences(expected.special, [&](const SpecialEntry& entry) {
        return specialStillThere(workspace.path(), entry);
      });
  EXPECT_TRUE(differences.empty()) << differences;
  const fs::path output = workspace.path() / expected.currentDirectory / "pirVex";
  if (expected.linksChecked) {
    const LinkReport report = checkLinks(output);
    EXPECT_GT(report.linksChecked, 0u);
    EXPECT_TRUE(report.broken.empty()) << ::testing::PrintToString(report.broken);
  }
  if (expected.markupChecked) {
    const std::vector<std::string> foreign = foreignMarkup(output);
    EXPECT_TRUE(foreign.empty()) << ::testing::PrintToString(foreign);
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, InProcess, ::testing::ValuesIn(caseNames()), nameOf);
INSTANTIATE_TEST_SUITE_P(Cases, Binary, ::testing::ValuesIn(caseNames()), nameOf);
INSTANTIATE_TEST_SUITE_P(Cases, ManyVolumes, ::testing::ValuesIn(caseNames()), nameOf);
INSTANTIATE_TEST_SUITE_P(Cases, WithSite, ::testing::ValuesIn(caseNames()), nameOf);
INSTANTIATE_TEST_SUITE_P(Cases, WithCheck, ::testing::ValuesIn(caseNames()), nameOf);

}  // namespace
}  // namespace pirvex::testing

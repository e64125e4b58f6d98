// Sources and output directories that someone else prepared, run end to end
// through the built pirvex: planted links and index files, a main source in
// the way of its own page, FIFOs, a pipe closed early, a file size or
// address-space limit, closed standard output, include chains deeper than
// any stack, paths that are long or name missing files in a large
// directory, and two runs in one output directory at once. Each run must
// end on its own, with the right exit status and standard error, and leave
// every file outside its own output as it was.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "support/expected.h"
#include "support/in_process.h"
#include "support/link_check.h"

#if defined(__SANITIZE_ADDRESS__)
#define PIRVEX_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define PIRVEX_UNDER_ASAN 1
#endif
#endif

namespace pirvex::testing {
namespace {

namespace fs = std::filesystem;

#ifdef PIRVEX_UNDER_ASAN
constexpr bool Sanitized = true;
#else
constexpr bool Sanitized = false;
#endif

// The longest a run may take: about ten times what it takes on a loaded
// two-core machine, in the build at hand (the sanitizer build is three to
// seven times slower).
double bound(double nativeSeconds, double sanitizedSeconds) {
  return 10 * (Sanitized ? sanitizedSeconds : nativeSeconds);
}

// A run that hangs is killed long after its bound, so that the test fails
// rather than holding up the tier.
int killAfter(double boundSeconds) { return static_cast<int>(boundSeconds) * 2 + 5; }

// Every file, link and directory below the root, by relative path: a file's
// bytes, a link's target after "-> ", a directory as "<dir>".
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> entries;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator();
       ++it) {
    const fs::path relative = it->path().lexically_relative(root);
    if (it->is_symlink()) {
      entries[relative.string()] = "-> " + fs::read_symlink(it->path()).string();
    } else if (it->is_directory()) {
      entries[relative.string()] = "<dir>";
    } else {
      std::ifstream in(it->path(), std::ios::binary);
      std::ostringstream content;
      content << in.rdbuf();
      entries[relative.string()] = content.str();
    }
  }
  return entries;
}

// The names of the entries that differ between two snapshots, for a
// readable failure.
std::string differences(const std::map<std::string, std::string>& expected,
                        const std::map<std::string, std::string>& actual) {
  std::string names;
  for (const auto& [name, bytes] : expected) {
    auto found = actual.find(name);
    if (found == actual.end())
      names += " missing:" + name;
    else if (found->second != bytes)
      names += " changed:" + name;
  }
  for (const auto& [name, bytes] : actual)
    if (!expected.count(name)) names += " added:" + name;
  return names;
}

#define EXPECT_SAME_TREE(expected, actual) \
  EXPECT_TRUE((expected) == (actual)) << differences((expected), (actual))

// A project of `modules` included files of `perModule` documented
// procedures each, with see-also lists across them and a structure: every
// phase of a run has work to do.
void writeProject(const Workspace& workspace, int modules, int perModule) {
  std::string main = ";* Der Einstieg.\n;*@see:\n;* P0_0, Record\nMain PROC\n";
  for (int m = 0; m < modules; ++m) {
    main += "INCLUDE mod" + std::to_string(m) + ".inc\n";
    std::string module;
    for (int p = 0; p < perModule; ++p) {
      const std::string name = "P" + std::to_string(m) + "_" + std::to_string(p);
      const std::string next = "P" + std::to_string((m + 1) % modules) + "_" + std::to_string(p);
      module += ";* Prozedur " + name + " liest einen Block.\n;*@Parameter:\n;* DS:SI  Puffer\n";
      module += ";*@see:\n;* " + next + ", Record, Main\n" + name + " PROC NEAR\n  ret\n";
      module += name + " ENDP\n";
    }
    workspace.write("mod" + std::to_string(m) + ".inc", crlf(module));
  }
  main += "Record STRUC\n  field1 DW ?\n  field2 DB 16 DUP (?)\nRecord ENDS\n";
  workspace.write("main.asm", crlf(main));
}

TEST(Untrusted, LinkedDirectoryBelowTheOutputDirectoryIsNotFollowed) {
  Workspace workspace;
  workspace.write("project/main.asm", crlf("Main PROC\nINCLUDE s\\keep\n"));
  workspace.write("project/s/keep", crlf("K PROC\n"));
  workspace.write("outside/keep.HTM", "precious");
  fs::create_directories(workspace.path() / "project/pirVex");
  fs::create_directory_symlink("../../outside", workspace.path() / "project/pirVex/s");
  const auto outside = snapshot(workspace.path() / "outside");

  RunOptions options;
  options.directory = "project";
  RunResult result = workspace.execute({"main.asm"}, options);
  EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished);
  EXPECT_EQ(result.errors, unwritten("pirVex\\s\\keep.HTM"));
  EXPECT_EQ(result.status, 1);
  EXPECT_SAME_TREE(outside, snapshot(workspace.path() / "outside"));
  EXPECT_EQ(workspace.read("project/pirVex/main.HTM"),
            page("main: main.asm", heading("Main") + sourceLine("main.asm"), true));
  EXPECT_EQ(workspace.read("project/pirVex/f_ndx.htm"),
            indexLine("s/keep.HTM", "K") + indexLine("main.HTM", "Main"));
  EXPECT_TRUE(fs::is_symlink(workspace.path() / "project/pirVex/s"));
}

TEST(Untrusted, OutputDirectoryLinkedToTheProject) {
  // The main source is where its own page goes: it is read, never replaced,
  // neither by its page nor by the see-also pass (it begins as a page does).
  Workspace workspace;
  const std::string source = crlf("<HTML>\n;*@see:\n;* S\nX PROC\nS STRUC\nS ENDS\n");
  workspace.write("demo.HTM", source);
  fs::create_directory_symlink(".", workspace.path() / "pirVex");
  RunResult clash = workspace.execute({"demo.HTM"});
  EXPECT_EQ(afterBanner(clash.console), Sorting + Linking + Finished);
  EXPECT_EQ(clash.errors, unwritten("pirVex\\demo.HTM"));
  EXPECT_EQ(clash.status, 1);
  EXPECT_EQ(workspace.read("demo.HTM"), source);
  EXPECT_EQ(workspace.read("f_ndx.htm"), indexLine("demo.HTM", "X"));
  EXPECT_EQ(workspace.read("s_ndx.htm"), indexLine("demo.HTM", "S"));
  EXPECT_EQ(workspace.read("ndx.htm"),
            navigation(indexLine("demo.HTM", "X"), indexLine("demo.HTM", "S")));
  EXPECT_EQ(workspace.read("index.html"), startPage("demo", "demo.HTM"));

  // A user may point the output directory anywhere: with a main source of
  // its own name, the run is complete.
  Workspace linked;
  linked.write("main.asm", crlf("X PROC\n"));
  fs::create_directory_symlink(".", linked.path() / "pirVex");
  RunResult complete = linked.execute({"main.asm"});
  EXPECT_EQ(afterBanner(complete.console), Sorting + Linking + Finished);
  EXPECT_EQ(complete.errors, "");
  EXPECT_EQ(complete.status, 0);
  EXPECT_EQ(linked.read("main.HTM"),
            page("main: main.asm", heading("X") + sourceLine("main.asm"), true));
  EXPECT_EQ(linked.read("f_ndx.htm"), indexLine("main.HTM", "X"));
  EXPECT_EQ(linked.read("index.html"), startPage("main", "main.HTM"));
}

// Before the first page the output directory does not exist, so that
// "pirVex/.." leads nowhere yet: the source is told apart by the identity of
// the file that the page will be, once its directories are there. From
// a/b, "pirVex/.." is a/b again and the ".." after it climb to the root, as
// those of the source's own name do: the main page's path is its source.
TEST(Untrusted, MainPageClimbingBackToItsSourceBeforeTheOutputDirectoryExists) {
  Workspace workspace;
  const std::string source = crlf(";* Liest.\nX PROC\n");
  workspace.write("t.HTM", source);
  fs::create_directories(workspace.path() / "a/b");
  std::string name;
  for (int i = 0; i < 64; ++i) name += "../";
  name += (workspace.path().relative_path() / "t.HTM").string();
  std::string toolName = "pirVex\\" + name;
  std::replace(toolName.begin(), toolName.end(), '/', '\\');

  RunOptions options;
  options.directory = "a/b";
  RunResult result = workspace.execute({name}, options);
  EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished);
  EXPECT_EQ(result.errors, unwritten(toolName));
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(workspace.read("t.HTM"), source);
  EXPECT_EQ(workspace.read("a/b/pirVex/f_ndx.htm"), indexLine(name, "X"));
}

TEST(Untrusted, StaleIndexLinesNamingPagesOutsideTheOutputDirectory) {
  Workspace workspace;
  const std::string seeAlso = crlf("<HTML>\n<B>see:</B>\n<UL>\n<LI>S\n</UL>\n</HTML>");
  workspace.write("site/page.html", seeAlso);
  workspace.write("project/top.htm", seeAlso);
  workspace.write("project/pirVex/old.HTM", seeAlso);
  // The run documents a structure only: the procedure index is the one left
  // behind, and the see-also pass follows its lines.
  workspace.write(
      "project/pirVex/f_ndx.htm",
      indexLine("..\\..\\site\\page.html", "A") + indexLine("sub\\..\\..\\top.htm", "B") +
          indexLine("..\\pirVex\\..\\..\\site\\page.html", "C") + indexLine("old.HTM", "D"));
  workspace.write("project/demo.asm", crlf("S STRUC\nS ENDS\n"));
  const auto site = snapshot(workspace.path() / "site");

  RunOptions options;
  options.directory = "project";
  RunResult result = workspace.execute({"demo.asm"}, options);
  EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished);
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_SAME_TREE(site, snapshot(workspace.path() / "site"));
  EXPECT_EQ(workspace.read("project/top.htm"), seeAlso);
  // A page inside the output directory is still linked.
  EXPECT_EQ(
      workspace.read("project/pirVex/old.HTM"),
      crlf("<html>\n<B>see:</B>\n<UL>\n<LI>") + link("demo.HTM", "S") + crlf("\n</UL>\n</HTML>"));
}

TEST(Untrusted, ConsoleReadForOneLineOnly) {
  // As in "pirvex main.asm | head -1": the pipe closes after the banner,
  // while the pass is still running.
  Workspace reference;
  writeProject(reference, 20, 200);
  RunResult normal = reference.execute({"main.asm"});
  ASSERT_EQ(normal.status, 0);

  Workspace workspace;
  writeProject(workspace, 20, 200);
  RunOptions headOnly;
  headOnly.readFirstLineOnly = true;
  headOnly.secondsLimit = 120;
  RunResult result = workspace.execute({"main.asm"}, headOnly);
  EXPECT_EQ(result.console, normal.console.substr(0, normal.console.find('\n') + 1));
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_TRUE(workspace.exists("pirVex/ndx.htm"));
  EXPECT_TRUE(workspace.exists("pirVex/index.html"));
  EXPECT_SAME_TREE(snapshot(reference.path()), snapshot(workspace.path()));
}

TEST(Untrusted, FileSizeLimitBelowTheSizeOfOutputFiles) {
  // The main page and the procedure index pass 8 KiB, so does the
  // navigation page that copies the index; the included page and the start
  // page stay below. The index is written twice (its lines, then sorted)
  // and named once.
  std::string main = ";* " + std::string(9000, 'x') + "\nMain PROC\nINCLUDE small.inc\n";
  for (int i = 0; i < 100; ++i)
    main += "Procedure_with_a_name_of_forty_bytes_" + std::to_string(100 + i) + " PROC\n";
  Workspace reference;
  reference.write("main.asm", crlf(main));
  reference.write("small.inc", crlf("Small PROC\n"));
  ASSERT_EQ(reference.execute({"main.asm"}).status, 0);
  const auto complete = snapshot(reference.path());

  Workspace workspace;
  workspace.write("main.asm", crlf(main));
  workspace.write("small.inc", crlf("Small PROC\n"));
  RunOptions limited;
  limited.fileSizeLimit = 8192;
  limited.secondsLimit = 60;
  RunResult result = workspace.execute({"main.asm"}, limited);
  EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished);
  // The main page is closed at the end of its pass, the navigation page
  // after it is copied, the index at the end of the run.
  EXPECT_EQ(result.errors, unwritten("pirVex\\main.HTM") + unwritten("pirVex\\ndx.htm") +
                               unwritten("pirVex\\f_ndx.htm"));
  EXPECT_EQ(result.status, 1);
  auto cut = snapshot(workspace.path());
  for (const char* full :
       {"main.asm", "small.inc", "pirVex", "pirVex/small_inc.HTM", "pirVex/index.html"})
    EXPECT_EQ(cut[full], complete.at(full)) << full;
  EXPECT_EQ(cut["pirVex/main.HTM"], complete.at("pirVex/main.HTM").substr(0, 8192));
  EXPECT_EQ(cut["pirVex/f_ndx.htm"].size(), 8192u);
  EXPECT_EQ(cut["pirVex/ndx.htm"].size(), 8192u);
  EXPECT_EQ(cut.size(), complete.size());
}

TEST(Untrusted, StandardOutputClosedAtStart) {
  // The first file the run opens would otherwise take descriptor 1, and
  // with it the console lines written while it is open: here the main page
  // is open when an include is missing and when one is a cycle.
  const std::string main = crlf(";* Text\nX PROC\nINCLUDE missing.inc\nINCLUDE main.asm\n") +
                           crlf("INCLUDE mod0.inc\nS STRUC\nS ENDS\n");
  Workspace reference;
  writeProject(reference, 2, 5);
  reference.write("main.asm", main);
  RunResult normal = reference.execute({"main.asm"});
  ASSERT_EQ(afterBanner(normal.console),
            cannotOpen("missing.inc") + "main.asm" + Recursive + Sorting + Linking + Finished);

  Workspace workspace;
  writeProject(workspace, 2, 5);
  workspace.write("main.asm", main);
  RunOptions closed;
  closed.closeStandardOutput = true;
  closed.secondsLimit = 60;
  RunResult result = workspace.execute({"main.asm"}, closed);
  EXPECT_EQ(result.console, "");
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_SAME_TREE(snapshot(reference.path()), snapshot(workspace.path()));
}

TEST(Untrusted, FifoAsMainSourceIncludedFileAndIndex) {
  // Nobody writes to these FIFOs: opening one to read would wait forever.
  Workspace workspace;
  ASSERT_EQ(::mkfifo((workspace.path() / "pipe.asm").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((workspace.path() / "pipe.inc").c_str(), 0600), 0);
  workspace.write("demo.asm", crlf("X PROC\nINCLUDE pipe.inc\nY PROC\n"));
  const double limit = bound(0.03, 0.15);
  RunOptions bounded;
  bounded.secondsLimit = killAfter(limit);

  RunResult main = workspace.execute({"pipe.asm"}, bounded);
  EXPECT_EQ(afterBanner(main.console), cannotOpen("pipe.asm") + GeneralError);
  EXPECT_EQ(main.errors, "");
  EXPECT_EQ(main.status, 1);
  EXPECT_LT(main.seconds, limit);

  RunResult included = workspace.execute({"demo.asm"}, bounded);
  EXPECT_EQ(afterBanner(included.console),
            cannotOpen("pipe.inc") + Sorting + Linking + Finished);
  EXPECT_EQ(included.errors, "");
  EXPECT_EQ(included.status, 0);
  EXPECT_LT(included.seconds, limit);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("X") + sourceLine("demo.asm") + "<HR>\n" + heading("Y") +
                                       sourceLine("demo.asm"),
                 true));

  // A structure index left behind that is a FIFO: the sort passes it over,
  // so there is no see-also pass, and this run writes no structure index.
  ASSERT_EQ(::mkfifo((workspace.path() / "pirVex/s_ndx.htm").c_str(), 0600), 0);
  workspace.write("procs.asm", crlf("X PROC\n"));
  RunResult index = workspace.execute({"procs.asm"}, bounded);
  EXPECT_EQ(afterBanner(index.console), Sorting + Finished);
  EXPECT_EQ(index.errors, "");
  EXPECT_EQ(index.status, 0);
  EXPECT_LT(index.seconds, limit);
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation(indexLine("procs.HTM", "X"), ""));
}

// Chains of included files, each including the next between two
// procedures: f0.inc ... f(depth-1).inc below demo.asm. Written with plain
// system calls, since a deep chain is many files.
void writeIncludeChain(const Workspace& workspace, int depth) {
  auto put = [&](const std::string& name, const std::string& bytes) {
    int file = ::open((workspace.path() / name).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ASSERT_GE(file, 0) << name;
    ASSERT_EQ(::write(file, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    ::close(file);
  };
  put("demo.asm", crlf("Main PROC\nINCLUDE f0.inc\n"));
  for (int i = 0; i < depth; ++i) {
    const std::string n = std::to_string(i);
    const std::string next = i + 1 < depth ? "INCLUDE f" + std::to_string(i + 1) + ".inc\n" : "";
    put("f" + n + ".inc", crlf("P" + n + " PROC\n" + next + "Q" + n + " PROC\n"));
  }
}

// The page of link i of the chain: the including file's page is closed
// while the next file is processed and taken up again after it.
std::string chainPage(int i) {
  const std::string n = std::to_string(i);
  return page("demo: f" + n + ".inc",
              heading("P" + n) + sourceLine("f" + n + ".inc") + "<HR>\n" + heading("Q" + n) +
                  sourceLine("f" + n + ".inc"),
              true);
}

// The sorted procedure index of a chain.
std::string chainIndex(int depth) {
  std::vector<std::string> lines{"Main</A><BR>\r\n" + indexLine("demo.HTM", "Main")};
  for (int i = 0; i < depth; ++i) {
    const std::string n = std::to_string(i);
    for (const std::string& name : {"P" + n, "Q" + n})
      lines.push_back(name + "</A><BR>\r\n" + indexLine("f" + n + "_inc.HTM", name));
  }
  std::sort(lines.begin(), lines.end());  // by key: the name and what follows it
  std::string sorted;
  for (const std::string& line : lines) sorted += line.substr(line.find("\r\n") + 2);
  return sorted;
}

void expectChainOutput(const Workspace& workspace, int depth) {
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("Main") + sourceLine("demo.asm"), true));
  for (int i : {0, 1, depth / 2, depth - 2})
    EXPECT_EQ(workspace.read("pirVex/f" + std::to_string(i) + "_inc.HTM"), chainPage(i)) << i;
  const std::string last = std::to_string(depth - 1);
  EXPECT_EQ(workspace.read("pirVex/f" + last + "_inc.HTM"),
            page("demo: f" + last + ".inc",
                 heading("P" + last) + sourceLine("f" + last + ".inc") + "<HR>\n" +
                     heading("Q" + last) + sourceLine("f" + last + ".inc"),
                 true));
  const std::string index = workspace.read("pirVex/f_ndx.htm");
  EXPECT_EQ(std::count(index.begin(), index.end(), '\n'), 2 * depth + 1);
  EXPECT_TRUE(index == chainIndex(depth)) << "the procedure index differs";
  int pages = 0;
  for (const auto& entry : fs::directory_iterator(workspace.path() / "pirVex"))
    pages += entry.path().extension() == ".HTM";
  EXPECT_EQ(pages, depth + 1);
  EXPECT_TRUE(workspace.exists("pirVex/ndx.htm"));
  EXPECT_TRUE(workspace.exists("pirVex/index.html"));
}

TEST(UntrustedDeep, IncludeChainOneHundredThousandDeep) {
  // Deeper than any machine stack would allow one frame per include, and
  // than the descriptors a process may hold one page per include.
  const int depth = 100000;
  Workspace workspace;
  writeIncludeChain(workspace, depth);
  const double limit = bound(15, 40);
  RunOptions bounded;
  bounded.secondsLimit = killAfter(limit);
  RunResult result = workspace.execute({"demo.asm"}, bounded);
  EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished);
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_LT(result.seconds, limit);
  expectChainOutput(workspace, depth);
}

// The site of a chain deeper than a sidebar shows whole: each page names
// the main file, a mark for the files left out, the six nearest files
// above it, itself and the file it includes, so that pages do not grow
// with the depth; every link still leads somewhere.
TEST(Untrusted, SiteOfADeepChainNamesABoundedBranch) {
  const int depth = 300;
  Workspace workspace;
  writeIncludeChain(workspace, depth);
  RunOptions bounded;
  bounded.secondsLimit = 120;
  RunResult result = workspace.execute({"demo.asm", "--html5"}, bounded);
  EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished);
  EXPECT_EQ(result.status, 0);
  auto link = [](int i, bool current = false) {
    const std::string n = std::to_string(i);
    return "<li><a href=\"f" + n + "_inc.html\"" + (current ? " aria-current=\"page\"" : "") +
           ">f" + n + ".inc</a>";
  };
  std::string branch = "<ul class=\"tree\"><li><a href=\"demo.html\">demo.asm</a><ul><li>\xE2\x80\xA6</li>";
  for (int i = 144; i < 150; ++i) branch += link(i) + "<ul>";
  branch += link(150, true) + "<ul>" + link(151) + "</li></ul></li>";
  for (int i = 0; i < 7; ++i) branch += "</ul></li>";
  branch += "</ul>\n<p><a href=\"index.html\">Alle Dateien</a></p>\n";
  const std::string page = workspace.read("pirVex/html5/f150_inc.html");
  EXPECT_NE(page.find(branch), std::string::npos) << page.substr(0, 3000);
  // Near the top the branch is whole.
  EXPECT_NE(workspace.read("pirVex/html5/f1_inc.html")
                .find("<ul class=\"tree\"><li><a href=\"demo.html\">demo.asm</a><ul>" + link(0) +
                      "<ul>" + link(1, true) + "<ul>" + link(2) + "</li></ul></li></ul></li></ul></li></ul>\n"),
            std::string::npos);
  const LinkReport report = checkLinks(workspace.path() / "pirVex" / "html5");
  EXPECT_GT(report.linksChecked, std::size_t{depth} * 8);
  EXPECT_TRUE(report.broken.empty()) << ::testing::PrintToString(report.broken);
}

TEST(Untrusted, IncludeChainLongerThanTheDescriptorLimit) {
  const int depth = 1100;
  Workspace workspace;
  writeIncludeChain(workspace, depth);
  RunOptions few;
  few.openFilesLimit = 64;
  few.secondsLimit = 120;
  RunResult result = workspace.execute({"demo.asm"}, few);
  EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished);
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.status, 0);
  expectChainOutput(workspace, depth);
}

TEST(Untrusted, IncludeNameOfOneMegabyteOfDotComponents) {
  Workspace workspace;
  std::string dots;
  for (int i = 0; i < 512 * 1024; ++i) dots += "./";
  workspace.write("demo.asm", crlf("X PROC\nINCLUDE " + dots + "x.inc\nY PROC\n"));
  workspace.write("x.inc", crlf("; found, and documents nothing\n"));
  const double limit = bound(0.3, 1.5);
  RunOptions bounded;
  bounded.secondsLimit = killAfter(limit);
  RunResult result = workspace.execute({"demo.asm"}, bounded);
  EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished);
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_LT(result.seconds, limit);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm", heading("X") + sourceLine("demo.asm") + "<HR>\n" + heading("Y") +
                                       sourceLine("demo.asm"),
                 true));
  EXPECT_TRUE((workspace.files() ==
               std::vector<std::string>{"demo.asm", "pirVex/demo.HTM", "pirVex/f_ndx.htm",
                                        "pirVex/index.html", "pirVex/ndx.htm", "x.inc"}));
}

TEST(Untrusted, MissingIncludesInALargeDirectory) {
  // Every missing name is looked up without regard to case; the directory
  // is listed once for all of them. The last include is found that way.
  Workspace workspace;
  for (int i = 0; i < 20000; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "file%05d.inc", i);
    int file = ::open((workspace.path() / name).c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(file, 0);
    ::close(file);
  }
  workspace.write("file19999.inc", crlf("Last PROC\n"));
  std::string main = "X PROC\n", console;
  for (int i = 0; i < 2000; ++i) {
    main += "INCLUDE missing" + std::to_string(i) + ".inc\n";
    console += cannotOpen("missing" + std::to_string(i) + ".inc");
  }
  workspace.write("demo.asm", crlf(main + "INCLUDE FILE19999.INC\n"));
  const double limit = bound(0.2, 0.6);
  RunOptions bounded;
  bounded.secondsLimit = killAfter(limit);
  RunResult result = workspace.execute({"demo.asm"}, bounded);
  EXPECT_EQ(afterBanner(result.console), console + Sorting + Linking + Finished);
  EXPECT_EQ(result.errors, "");
  EXPECT_EQ(result.status, 0);
  EXPECT_LT(result.seconds, limit);
  EXPECT_EQ(workspace.read("pirVex/FILE19999_INC.HTM"),
            page("demo: FILE19999.INC", heading("Last") + sourceLine("FILE19999.INC"), true));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"),
            indexLine("FILE19999_INC.HTM", "Last") + indexLine("demo.HTM", "X"));
}

TEST(Untrusted, TenMegabyteIncludeNameUnderAnAddressSpaceLimit) {
#ifdef PIRVEX_UNDER_ASAN
  GTEST_SKIP() << "the sanitizer reserves more address space than any of these limits";
#endif
  Workspace workspace;
  const std::string name(10 * 1024 * 1024, 'a');
  workspace.write("demo.asm", crlf("X PROC\nINCLUDE ") + name + crlf("\nY PROC\n"));
  // From too little for the copies of the name to more than enough.
  for (long long megabytes : {16, 24, 32, 40, 48, 64, 96}) {
    RunOptions limited;
    limited.addressSpaceLimit = megabytes << 20;
    limited.secondsLimit = 60;
    RunResult result = workspace.execute({"demo.asm"}, limited);
    const std::string console = afterBanner(result.console);
    if (result.status == 0)
      EXPECT_EQ(console, cannotOpen(name) + Sorting + Linking + Finished) << megabytes << " MB";
    else
      EXPECT_TRUE(result.status == 1 && console.ends_with(GeneralError))
          << megabytes << " MB: status " << result.status << ", console " << console.substr(0, 200);
  }
}

TEST(Untrusted, TwoRunsAtOnceInOneOutputDirectory) {
  Workspace reference;
  writeProject(reference, 20, 30);
  RunResult single = reference.execute({"main.asm"});
  ASSERT_EQ(afterBanner(single.console), Sorting + Linking + Finished);
  const auto expected = snapshot(reference.path());

  // Each round starts over the output of the round before, as a user who
  // runs the tool twice would.
  Workspace workspace;
  writeProject(workspace, 20, 30);
  RunOptions bounded;
  bounded.secondsLimit = 60;
  for (int round = 0; round < 6; ++round) {
    StartedRun first = workspace.start({"main.asm"}, bounded);
    StartedRun second = workspace.start({"main.asm"}, bounded);
    for (StartedRun* run : {&first, &second}) {
      RunResult result = Workspace::finish(*run);
      EXPECT_EQ(afterBanner(result.console), Sorting + Linking + Finished) << "round " << round;
      EXPECT_EQ(result.errors, "") << "round " << round;
      EXPECT_EQ(result.status, 0) << "round " << round;
    }
    const auto actual = snapshot(workspace.path());
    EXPECT_SAME_TREE(expected, actual) << "round " << round;
  }
}

}  // namespace
}  // namespace pirvex::testing

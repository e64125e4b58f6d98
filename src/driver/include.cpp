// INCLUDE directives: each included file gets a pass and a page of its own,
// and the including file goes on afterwards exactly where it stood.
#include <new>
#include <string>
#include <utility>

#include "driver/source_pass.h"
#include "platform/text.h"
#include "scan/includes.h"

namespace pirvex {
namespace {

constexpr std::string_view BackLinks = "BackLinks";
constexpr std::string_view Recursive = "Fehler : Rekursives INCLUDE wird ignoriert\r\n";

// The length of what roots a name: a drive prefix ("C:") and the
// separators that follow it or begin the name.
std::size_t rootLength(std::string_view name) {
  std::size_t length = 0;
  if (name.size() >= 2 && name[1] == ':' && isAsciiLetter(static_cast<unsigned char>(name[0])))
    length = 2;
  while (length < name.size() && isPathSeparator(name[length])) ++length;
  return length;
}

// The file an include names: where it opens (and tells its index), it stays
// open, and its read takes it over; otherwise it is closed with this.
class Located {
 public:
  explicit Located(platform::Platform& platform) : platform_(platform) {}
  Located(const Located&) = delete;
  Located& operator=(const Located&) = delete;
  ~Located() { close(); }

  // Opens the file at `path`; false, and nothing open, where it does not
  // open or its index cannot be had.
  bool open(std::string path) {
    close();
    path_ = std::move(path);
    file_ = platform_.openForReading(path_);
    std::uint64_t index = 0;
    if (file_ != platform::NoFile && !platform_.fileIndex(file_, index)) close();
    return opens();
  }
  bool opens() const { return file_ != platform::NoFile; }
  std::string& path() { return path_; }
  platform::File file() const { return file_; }
  // Hands the open file over to its read.
  platform::File release() { return std::exchange(file_, platform::NoFile); }

 private:
  void close() {
    if (file_ != platform::NoFile) (void)platform_.closeFile(release());
  }
  platform::Platform& platform_;
  std::string path_;
  platform::File file_ = platform::NoFile;
};

// `name` joined to `directory`, with a separator between them where the
// directory does not end in one: "\" where the directory uses it, "/"
// otherwise.
std::string joinedPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && !isPathSeparator(path.back()))
    path += directory.find('\\') != std::string_view::npos ? '\\' : '/';
  path += name;
  return path;
}

// Whether the located file is one of `files`: by its index, and where one
// of them has that index, by its whole identity.
bool isAmong(RunState& run, const Located& located, platform::KnownFiles& files) {
  return located.opens() && files.holds(run.platform, located.file());
}

// The name as written when it opens, or where the include path finds it
// (the including file's directory, then each --include-dir in order).
// Without an include path, and when nothing is found, the name as written.
void locateInclude(RunState& run, std::string_view name, Located& located) {
  if (located.open(std::string(name)) || run.includeDirectories.empty() || rootLength(name) != 0)
    return;
  std::string_view including = run.context.page.sourcePath;
  std::size_t directoryEnd = including.find_last_of("\\/");
  if (directoryEnd != std::string_view::npos &&
      located.open(joinedPath(including.substr(0, directoryEnd + 1), name)))
    return;
  for (std::string_view directory : run.includeDirectories)
    if (located.open(joinedPath(directory, name))) return;
  located.path().assign(name);
}

// Puts the including file's state back, with the Cursor at its INCLUDE line.
void restoreIncluding(RunState& run, Cursor& cursor) {
  MemoryBlock block = std::move(run.context.savedContext);
  SourceContext* including = static_cast<SourceContext*>(block.data());
  run.context = std::move(*including);
  including->~SourceContext();
  cursor = run.context.savedCursor;
  resumePage(run.context.page);
}

}  // namespace

std::string includedPagePath(std::string_view name) {
  // A page path never starts at the root: the page stays below the output
  // directory, and its links in the index with it.
  name.remove_prefix(rootLength(name));
  std::string path;
  path.reserve(name.size() + 16);
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (name[i] != '.')
      path += name[i];
    else if (i + 1 < name.size() && name[i + 1] == '.')
      path += BackLinks;
    else
      path += '_';
  }
  path += ".HTM";
  return path;
}

bool enterInclude(RunState& run, Cursor& cursor) {
  std::string_view name;
  if (!includeDirective(cursor, name, run.lenient)) return false;
  Located located(run.platform);
  locateInclude(run, name, located);
  std::string& sourcePath = located.path();
  // Read as the assemblers read sources, a file documented once is passed
  // over silently: guarded headers that include each other cost one pass
  // each. Otherwise only a file in work (the current source or one that
  // includes it) is passed over, and said so.
  if (run.lenient && isAmong(run, located, run.documented)) return false;
  if (isAmong(run, located, run.inWork)) {
    run.platform.printMessage(sourcePath);
    run.platform.printMessage(Recursive);
    run.findings.consoleLine();
    return false;
  }

  run.context.savedCursor = cursor;
  MemoryBlock saved(run.platform, sizeof(SourceContext), platform::MemoryUse::IncludeContext,
                    sourcePath);
  if (!saved) return false;  // the include is passed over; the file goes on
  suspendPage(run.context.page);
  new (saved.data()) SourceContext(std::move(run.context));

  run.context = run.freshContext(std::move(sourcePath), includedPagePath(name));
  run.context.savedContext = std::move(saved);
  if (!readSource(run, located.release())) {
    restoreIncluding(run, cursor);
    return false;
  }
  cursor = Cursor(run.context.source.text.bytes(), run.context.source.size);
  return true;
}

bool leaveInclude(RunState& run, Cursor& cursor) {
  if (!run.context.savedContext) return false;
  restoreIncluding(run, cursor);
  return true;
}

}  // namespace pirvex

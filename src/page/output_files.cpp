#include "page/output_files.h"

#include <algorithm>

#include "platform/text.h"

namespace pirvex {
namespace {

constexpr std::string_view Unwritten = "Fehler : Ausgabedatei kann nicht geschrieben werden\r\n";
// Every output file lies below one of the output directory's spellings.
constexpr std::string_view OutputDirectory = "pirVex\\";
constexpr std::string_view OutputDirectoryUpper = "pirVEX\\";

}  // namespace

std::string OutputFiles::toolName(std::string_view fileName) {
  std::string name(untilNul(fileName));
  std::replace(name.begin(), name.end(), '/', '\\');
  if (name.starts_with(OutputDirectoryUpper))
    name.replace(0, OutputDirectoryUpper.size(), OutputDirectory);
  return name;
}

platform::File OutputFiles::create(std::string_view fileName) {
  // What the file will be is asked once its directories exist: before, a
  // path that climbs back out of one of them ("pirVex\..\..") names
  // nothing, and a source it leads to would not be recognised.
  if (!sources_.empty()) platform_.createDirectories(fileName);
  platform::File file = sources_.holdsName(platform_, fileName)
                             ? platform::NoFile
                             : platform_.createFileAnew(fileName);
  if (file == platform::NoFile)
    reportUnwritten(fileName);
  else
    created_.insert(toolName(fileName));
  return file;
}

platform::File OutputFiles::reopen(std::string_view fileName, std::uint32_t offset) {
  // Taking a file up again changes nothing in it, so it is asked about
  // through its handle, which costs less than asking by name first.
  platform::File file = platform_.openForWriting(fileName, offset);
  if (file != platform::NoFile && sources_.holds(platform_, file)) {
    (void)platform_.closeFile(file);
    file = platform::NoFile;
  }
  if (file == platform::NoFile) reportUnwritten(fileName);
  return file;
}

void OutputFiles::close(platform::File file, std::string_view fileName) {
  if (file == platform::NoFile) return;
  if (!platform_.closeFile(file)) reportUnwritten(fileName);
}

void OutputFiles::reportUnwritten(std::string_view fileName) {
  std::string name = toolName(fileName);
  if (!reported_.insert(name).second) return;
  platform_.printError(name);
  platform_.printError(Unwritten);
}

}  // namespace pirvex

// The procedure and structure index files, the navigation page that joins
// them, and the two-frame start page.
#pragma once

#include <string>
#include <string_view>

#include "page/heading.h"
#include "page/output_files.h"
#include "platform/platform.h"

namespace pirvex {

inline constexpr std::string_view ProcedureIndexName = "pirVEX\\f_ndx.htm";
inline constexpr std::string_view StructureIndexName = "pirVEX\\s_ndx.htm";
inline constexpr std::string_view NavigationPageName = "pirVEX\\ndx.htm";
inline constexpr std::string_view StartPageName = "pirVEX\\index.html";

// One index file of this run: created by its first entry and open from
// then on, to the end of the run.
class IndexFile final : public EntryIndex {
 public:
  IndexFile(OutputFiles& outputs, std::string_view fileName)
      : outputs_(outputs), fileName_(fileName) {}
  IndexFile(const IndexFile&) = delete;
  IndexFile& operator=(const IndexFile&) = delete;
  // A run that ends early closes the file without a word.
  ~IndexFile() { (void)outputs_.platform().closeFile(file_); }

  // One index line; when the file cannot be created, the line is lost and
  // the next entry tries again.
  void addEntry(std::string_view pagePath, std::string_view name) override;

  // At the end of the run; the file is named when a byte did not reach it.
  void close();

  std::string_view fileName() const { return fileName_; }
  // The file as this run wrote it, or none when no entry could open it.
  platform::File file() const { return file_; }

 private:
  OutputFiles& outputs_;
  std::string fileName_;
  platform::File file_ = platform::NoFile;
};

// The navigation page: a section for each index file that this run opened,
// its content copied through the run's own handle.
void writeNavigationPage(OutputFiles& outputs, const IndexFile& procedures,
                         const IndexFile& structures);

// The frameset: the navigation page on the left, the main page on the
// right.
void writeStartPage(OutputFiles& outputs, std::string_view title, std::string_view mainPagePath);

}  // namespace pirvex

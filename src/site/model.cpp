#include "site/model.h"

#include <utility>

namespace pirvex::site {

void SiteModel::beginFile(std::string_view sourcePath, std::string_view pagePath,
                          std::string_view text) {
  flushPending();
  inBlock_ = false;
  SiteFile file;
  file.sourcePath.assign(sourcePath);
  file.pagePath.assign(pagePath);
  file.parent = open_.empty() ? -1 : static_cast<std::int32_t>(open_.back());
  // The text is taken over at the file's end; until then it is the
  // context's, at the same address.
  file.source.size = static_cast<std::uint32_t>(text.size());
  files_.push_back(std::move(file));
  open_.push_back(files_.size() - 1);
  textStarts_.push_back(text.data());
}

void SiteModel::endFile(WholeFile& source) {
  flushPending();
  inBlock_ = false;
  if (open_.empty()) return;
  SiteFile& file = current();
  file.source.text = std::move(source.text);
  file.source.size = source.size;
  open_.pop_back();
  textStarts_.pop_back();
}

void SiteModel::startBlock() {
  flushPending();
  inBlock_ = true;
  blockHasEntry_ = false;
  blockEnd_ = nullptr;
}

void SiteModel::flushPending() {
  if (pending_.empty()) return;
  std::vector<std::string_view>& loose = files_[pendingFile_].looseDoc;
  loose.insert(loose.end(), pending_.begin(), pending_.end());
  pending_.clear();
}

void SiteModel::procedure(std::string_view name, std::string_view ownName,
                          std::string_view definingLine, Cursor at) {
  if (open_.empty()) return;
  if (!inBlock_) startBlock();
  blockHasEntry_ = true;
  SiteEntry entry;
  entry.kind = EntryKind::Procedure;
  entry.name = name;
  entry.ownName = ownName;
  entry.offset = offsetOf(definingLine.empty() ? at.position : definingLine.data());
  current().entries.push_back(std::move(entry));
}

void SiteModel::docLine(Cursor line) {
  if (open_.empty()) return;
  if (!inBlock_) startBlock();
  const std::string_view span = docLineText(line);
  if (span.empty()) return;
  if (blockHasEntry_) {
    current().entries.back().docLines.push_back(span);
  } else {
    pendingFile_ = open_.back();
    pending_.push_back(span);
  }
}

void SiteModel::blockEnd(Cursor at) {
  inBlock_ = false;
  blockEnd_ = at.position;
}

void SiteModel::structure(std::string_view name, Cursor line) {
  if (open_.empty()) return;
  SiteEntry entry;
  entry.kind = EntryKind::Structure;
  entry.name = name;
  entry.offset = offsetOf(line.position);
  if (!inBlock_ && blockEnd_ == line.position && pendingFile_ == open_.back()) {
    entry.docLines = std::move(pending_);
    pending_.clear();
  }
  Cursor scan = line;
  nextLine(scan);
  StructureField field;
  while (nextStructureField(scan, field)) entry.fields.push_back(field);
  current().entries.push_back(std::move(entry));
}

void SiteModel::comment(const std::vector<std::string_view>& lines) {
  if (open_.empty() || current().entries.empty()) return;
  current().entries.back().commentLines = lines;
}

void SiteModel::fileComment(const std::vector<std::string_view>& lines) {
  if (open_.empty()) return;
  current().fileComment = lines;
}

}  // namespace pirvex::site

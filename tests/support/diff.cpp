#include "support/diff.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace pirvex::testing {
namespace {

constexpr std::size_t Context = 3;
// Above this many cells the longest common subsequence is not searched: the
// differing middle is shown as removed and then added whole.
constexpr std::size_t MaxTableCells = 4'000'000;

// The lines of the text, each with its "\n"; no empty piece after a last "\n".
std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::size_t length = end == std::string_view::npos ? text.size() : end + 1;
    lines.push_back(text.substr(0, length));
    text.remove_prefix(length);
  }
  return lines;
}

enum class Kind { Same, Removed, Added };

struct Edit {
  Kind kind;
  std::size_t line;  // in the expected lines for Same and Removed, else in the actual ones
};

// The edit script that turns `a` into `b`, through a longest common
// subsequence of the lines between their common head and tail.
std::vector<Edit> editScript(const std::vector<std::string_view>& a,
                             const std::vector<std::string_view>& b) {
  std::size_t head = 0;
  while (head < a.size() && head < b.size() && a[head] == b[head]) ++head;
  std::size_t tail = 0;
  while (tail < a.size() - head && tail < b.size() - head &&
         a[a.size() - 1 - tail] == b[b.size() - 1 - tail])
    ++tail;
  const std::size_t n = a.size() - head - tail;
  const std::size_t m = b.size() - head - tail;

  std::vector<Edit> edits;
  for (std::size_t i = 0; i < head; ++i) edits.push_back({Kind::Same, i});
  if ((n + 1) * (m + 1) > MaxTableCells) {
    for (std::size_t i = 0; i < n; ++i) edits.push_back({Kind::Removed, head + i});
    for (std::size_t j = 0; j < m; ++j) edits.push_back({Kind::Added, head + j});
  } else {
    // common[i][j]: length of the longest common subsequence of the middle
    // lines of `a` from i and of `b` from j.
    std::vector<std::uint32_t> common((n + 1) * (m + 1), 0);
    auto at = [&](std::size_t i, std::size_t j) -> std::uint32_t& {
      return common[i * (m + 1) + j];
    };
    for (std::size_t i = n; i-- > 0;)
      for (std::size_t j = m; j-- > 0;)
        at(i, j) = a[head + i] == b[head + j] ? at(i + 1, j + 1) + 1
                                              : std::max(at(i + 1, j), at(i, j + 1));
    std::size_t i = 0, j = 0;
    while (i < n || j < m) {
      if (i < n && j < m && a[head + i] == b[head + j]) {
        edits.push_back({Kind::Same, head + i});
        ++i;
        ++j;
      } else if (j == m || (i < n && at(i + 1, j) >= at(i, j + 1))) {
        edits.push_back({Kind::Removed, head + i++});
      } else {
        edits.push_back({Kind::Added, head + j++});
      }
    }
  }
  for (std::size_t i = 0; i < tail; ++i) edits.push_back({Kind::Same, a.size() - tail + i});
  return edits;
}

void appendLine(std::string& out, char mark, std::string_view line) {
  bool ended = !line.empty() && line.back() == '\n';
  out += mark;
  out += visible(ended ? line.substr(0, line.size() - 1) : line);
  out += '\n';
  if (!ended) out += "\\ No newline at end of file\n";
}

// "start,count" of a hunk's range; an empty range names the line before it.
std::string range(std::size_t first, std::size_t count) {
  return std::to_string(count == 0 ? first : first + 1) + "," + std::to_string(count);
}

}  // namespace

std::string visible(std::string_view line) {
  static const char* const hex = "0123456789ABCDEF";
  std::string out;
  for (char c : line) {
    auto byte = static_cast<unsigned char>(c);
    if (byte == '\r') {
      out += "\\r";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte == 0) {
      out += "\\0";
    } else if (byte < 0x20 || byte >= 0x7F) {
      out += "\\x";
      out += hex[byte >> 4];
      out += hex[byte & 15];
    } else {
      out += c;
    }
  }
  return out;
}

std::string unifiedDiff(std::string_view expected, std::string_view actual,
                        std::string_view expectedName, std::string_view actualName) {
  if (expected == actual) return {};
  const std::vector<std::string_view> a = linesOf(expected);
  const std::vector<std::string_view> b = linesOf(actual);
  const std::vector<Edit> edits = editScript(a, b);

  std::string out = "--- " + std::string(expectedName) + "\n+++ " + std::string(actualName) + "\n";
  std::size_t next = 0;  // the first edit not yet shown
  // Where each edit stands in both texts: lines of `a` and `b` before it.
  std::vector<std::size_t> beforeA(edits.size() + 1, 0), beforeB(edits.size() + 1, 0);
  for (std::size_t k = 0; k < edits.size(); ++k) {
    beforeA[k + 1] = beforeA[k] + (edits[k].kind != Kind::Added);
    beforeB[k + 1] = beforeB[k] + (edits[k].kind != Kind::Removed);
  }
  while (next < edits.size()) {
    std::size_t change = next;
    while (change < edits.size() && edits[change].kind == Kind::Same) ++change;
    if (change == edits.size()) break;
    std::size_t start = change >= next + Context ? change - Context : next;
    // The hunk runs on while the unchanged run between two changes is
    // short enough for their contexts to touch.
    std::size_t end = change;
    for (;;) {
      while (end < edits.size() && edits[end].kind != Kind::Same) ++end;
      std::size_t same = end;
      while (same < edits.size() && edits[same].kind == Kind::Same) ++same;
      if (same < edits.size() && same - end <= 2 * Context) {
        end = same;
        continue;
      }
      end = std::min(end + Context, same);
      break;
    }
    out += "@@ -" + range(beforeA[start], beforeA[end] - beforeA[start]) + " +" +
           range(beforeB[start], beforeB[end] - beforeB[start]) + " @@\n";
    for (std::size_t k = start; k < end; ++k) {
      const Edit& edit = edits[k];
      if (edit.kind == Kind::Same) appendLine(out, ' ', a[edit.line]);
      if (edit.kind == Kind::Removed) appendLine(out, '-', a[edit.line]);
      if (edit.kind == Kind::Added) appendLine(out, '+', b[edit.line]);
    }
    next = end;
  }
  return out;
}

}  // namespace pirvex::testing

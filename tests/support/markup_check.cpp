#include "support/markup_check.h"

#include <algorithm>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string_view>

namespace pirvex::testing {
namespace {

// The elements and attributes that the classic pages and the site write.
constexpr std::string_view OwnTags[] = {
    "a",      "b",     "body", "br",   "button", "caption", "code",  "dfn",     "div",   "font",
    "footer", "frame", "frameset", "h1", "h2",   "h3",      "head",  "header",  "hr",    "html",
    "i",      "input", "label", "li",  "link",   "main",    "meta",  "nav",     "p",     "pre",
    "q",      "script", "section", "span", "table", "tbody", "td",   "th",      "thead", "title",
    "tr",     "ul",
    // documentation's own inline elements, which the site keeps
    "u", "em", "strong", "sub", "sup", "kbd", "var", "tt"};
constexpr std::string_view OwnAttributes[] = {
    "align",        "aria-autocomplete", "aria-controls", "aria-current", "aria-expanded",
    "aria-hidden",  "aria-label",        "aria-labelledby", "aria-pressed", "autocomplete",
    "background",   "bgcolor",           "border",        "cellpadding",  "charset",
    "class",        "color",             "cols",          "colspan",      "content",
    "data-lines",   "data-root",         "face",          "for",          "frameborder",
    "framespacing", "height",            "hidden",        "href",         "id",
    "lang",         "marginheight",      "marginwidth",   "name",         "placeholder",
    "rel",          "role",              "scope",         "scrolling",    "size",
    "spellcheck",   "src",               "style",         "tabindex",     "target",
    "type",         "valign",            "width"};

template <std::size_t Size>
bool isOwn(std::string_view name, const std::string_view (&vocabulary)[Size]) {
  return std::find(std::begin(vocabulary), std::end(vocabulary), name) != std::end(vocabulary);
}

bool isAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

std::string lowered(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

class Tokenizer {
 public:
  Tokenizer(std::string_view text, std::string file, std::vector<std::string>& foreign)
      : text_(text), file_(std::move(file)), foreign_(foreign) {}

  void run() {
    while ((at_ = text_.find('<', at_)) != std::string_view::npos) {
      if (text_.substr(at_).starts_with("<!--")) {
        skipPast("-->");
      } else if (at_ + 1 < text_.size() && (text_[at_ + 1] == '!' || text_[at_ + 1] == '?')) {
        skipPast(">");
      } else if (at_ + 1 < text_.size() && isAsciiLetter(text_[at_ + 1])) {
        ++at_;
        tag(false);
      } else if (at_ + 2 < text_.size() && text_[at_ + 1] == '/' && isAsciiLetter(text_[at_ + 2])) {
        at_ += 2;
        tag(true);
      } else {
        ++at_;  // a "<" that opens nothing is text
      }
    }
  }

 private:
  void skipPast(std::string_view end) {
    const std::size_t found = text_.find(end, at_);
    at_ = found == std::string_view::npos ? text_.size() : found + end.size();
  }

  std::string_view takeWhile(bool (*keep)(char)) {
    const std::size_t start = at_;
    while (at_ < text_.size() && keep(text_[at_])) ++at_;
    return text_.substr(start, at_ - start);
  }

  void skipSpaces() { takeWhile(isSpace); }

  void tag(bool end) {
    const std::string name = lowered(takeWhile([](char c) { return !isSpace(c) && c != '/' && c != '>'; }));
    if (!isOwn(name, OwnTags)) foreign_.push_back(file_ + ": <" + name + ">");
    attributes(name, end);
    // A title's text is text up to its end tag, whatever it holds.
    if (name == "title" && !end) {
      const std::size_t close = lowered(text_.substr(at_)).find("</title");
      at_ = close == std::string::npos ? text_.size() : at_ + close;
    }
  }

  void attributes(const std::string& tagName, bool end) {
    for (;;) {
      takeWhile([](char c) { return isSpace(c) || c == '/'; });
      if (at_ >= text_.size()) return;
      if (text_[at_] == '>') {
        ++at_;
        return;
      }
      std::string name =
          lowered(takeWhile([](char c) { return !isSpace(c) && c != '/' && c != '>' && c != '='; }));
      if (name.empty()) name = std::string(1, text_[at_++]);  // a lone "=" names an attribute
      if (!end && !isOwn(name, OwnAttributes))
        foreign_.push_back(file_ + ": <" + tagName + " " + name + ">");
      skipSpaces();
      if (at_ < text_.size() && text_[at_] == '=') {
        ++at_;
        skipSpaces();
        value();
      }
    }
  }

  void value() {
    if (at_ < text_.size() && (text_[at_] == '"' || text_[at_] == '\'')) {
      const std::size_t close = text_.find(text_[at_], at_ + 1);
      at_ = close == std::string_view::npos ? text_.size() : close + 1;
      return;
    }
    takeWhile([](char c) { return !isSpace(c) && c != '>'; });
  }

  std::string_view text_;
  std::string file_;
  std::vector<std::string>& foreign_;
  std::size_t at_ = 0;
};

}  // namespace

std::vector<std::string> foreignMarkup(const std::filesystem::path& outputDirectory) {
  std::vector<std::string> foreign;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(outputDirectory)) {
    if (!entry.is_regular_file()) continue;
    const std::string extension = lowered(entry.path().extension().string());
    if (extension != ".htm" && extension != ".html") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    Tokenizer(text, entry.path().lexically_relative(outputDirectory).string(), foreign).run();
  }
  return foreign;
}

}  // namespace pirvex::testing

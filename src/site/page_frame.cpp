#include "site/page_frame.h"

#include "page/page_writer.h"
#include "site/file_tree.h"
#include "site/text.h"

namespace pirvex::site {
namespace {

// The document's head and the body's start; `root` leads from the page
// back to the site's directory.
void appendDocumentHead(std::string& out, std::string_view title, const std::string& root) {
  out += "<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
         "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  appendEscaped(out, title);
  out += "</title>\n<link rel=\"stylesheet\" href=\"" + root + "site.css\">\n<script src=\"" +
         root + "site.js\"></script>\n</head>\n<body data-root=\"" + root + "\">\n";
}

// The bar above every page: the menu button, the project, the search and
// the theme switch.
void appendTopBar(std::string& out, const SiteTables& tables, const std::string& root) {
  out += "<a class=\"skip\" href=\"#main\">Zum Inhalt springen</a>\n<header class=\"top\">\n"
         "<button type=\"button\" id=\"nav-toggle\" aria-controls=\"sidebar\" "
         "aria-expanded=\"false\">Men\xC3\xBC</button>\n<a class=\"brand\" href=\"" +
         root + "index.html\">";
  appendEscaped(out, tables.project);
  out += "</a>\n<div class=\"search\" role=\"search\">\n"
         "<label for=\"search\" class=\"visually-hidden\">Suche</label>\n"
         "<input id=\"search\" type=\"text\" placeholder=\"Suchen (/)\" autocomplete=\"off\" "
         "spellcheck=\"false\" role=\"combobox\" aria-autocomplete=\"list\" "
         "aria-controls=\"search-results\" aria-expanded=\"false\">\n"
         "<ul id=\"search-results\" role=\"listbox\" aria-label=\"Suchergebnisse\" hidden></ul>\n"
         "</div>\n<button type=\"button\" id=\"theme-toggle\" aria-pressed=\"false\">"
         "Dunkel</button>\n</header>\n";
}

// The sidebar: the tree of files and what the page holds.
void appendSidebar(std::string& out, const SiteTables& tables, std::string_view path, int current,
                   const std::string& onThisPage) {
  out += "<nav id=\"sidebar\" aria-label=\"Dateien und Eintr\xC3\xA4ge\">\n<h2>Dateien</h2>\n";
  appendFileTree(out, tables, path, current);
  if (!onThisPage.empty()) {
    out += "<h2>Auf dieser Seite</h2>\n<ul class=\"entries\">";
    out += onThisPage;
    out += "</ul>\n";
  }
  out += "</nav>\n";
}

}  // namespace

void appendHead(std::string& out, const SiteTables& tables, std::string_view path,
                std::string_view title, int current, const std::string& onThisPage) {
  const std::string root = upLevels(path);
  appendDocumentHead(out, title, root);
  appendTopBar(out, tables, root);
  out += "<div class=\"layout\">\n";
  appendSidebar(out, tables, path, current, onThisPage);
  out += "<main id=\"main\">\n";
}

void appendFoot(std::string& out) {
  out += "</main>\n</div>\n<footer class=\"bottom\">Erzeugt von pirVex</footer>\n"
         "</body>\n</html>\n";
}

std::string pageTitle(const SiteTables& tables, std::string_view what) {
  std::string text(what);
  text += " \xE2\x80\x93 ";  // en dash
  text += tables.project;
  return text;
}

}  // namespace pirvex::site

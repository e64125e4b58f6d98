// Expected output files, built from the exact texts pirVex writes.
#pragma once

#include <string>
#include <string_view>

#include "support/workspace.h"

namespace pirvex::testing {

inline const std::string Finished = "Info   : Programm erfolgreich beendet\r\n";
inline const std::string Sorting = "Info   : Sorting Indexes\r\n";
inline const std::string Linking = "Info   : Creating @see Links\r\n";
inline const std::string GeneralError = "Fehler : Ein Fehler ist aufgetreten\r\n";
inline const std::string Recursive = "Fehler : Rekursives INCLUDE wird ignoriert\r\n";

// The line on standard error for an output file not written in full.
inline std::string unwritten(std::string_view name) {
  return std::string(name) + "Fehler : Ausgabedatei kann nicht geschrieben werden\r\n";
}

inline std::string cannotOpen(std::string_view name) {
  return std::string(name) + "Fehler : Quelldatei kann nicht geoeffnet werden\r\n";
}

// A whole source page: head with the title, the body (LF turned into CR LF)
// and the footer. `rewritten` pages begin with the see-also pass's mark.
inline std::string page(std::string_view title, std::string_view body, bool rewritten = false) {
  return (rewritten ? "<html>" : "<HTML>") + crlf("\n <HEAD>\n  <TITLE>\n   ") +
         std::string(title) +
         crlf("\n  </TITLE>\n </HEAD>\n <BODY>\n  <FONT SIZE=\"2\" FACE=\"VERDANA, ARIAL\">\n") +
         crlf(body) + crlf("  </FONT>\n </BODY>\n</HTML>");
}

inline std::string startPage(std::string_view title, std::string_view mainPage) {
  return crlf("<HTML>\n <HEAD>\n  <TITLE>\n   ") + std::string(title) +
         crlf(
             "\n  </TITLE>\n </HEAD>\n <FRAMESET COLS=\"20%,*\" border=0 frameborder=0 "
             "framespacing=0>\n  <frame name=\"index\" src=\"ndx.htm\" scrolling=yes "
             "marginheight=5 marginwidth=5>\n  <frame name=\"main\" src=\"") +
         std::string(mainPage) +
         crlf("\" scrolling=yes marginheight=5 marginwidth=5>\n </frameset>\n</HTML>");
}

inline std::string indexLine(std::string_view pagePath, std::string_view name) {
  return "<A HREF=\"" + std::string(pagePath) + "#" + std::string(name) + "\" TARGET=\"main\">" +
         std::string(name) + "</A><BR>\r\n";
}

// The link that the see-also pass puts around a name.
inline std::string link(std::string_view target, std::string_view name) {
  return "<A HREF=\"" + std::string(target) + "#" + std::string(name) + "\" TARGET=\"main\">" +
         std::string(name) + "</A>";
}

inline std::string navigation(std::string_view procedures, std::string_view structures) {
  std::string text;
  if (!procedures.empty())
    text += "Prozeduren:\r\n<table cellpadding=\"5\"><tr><td>" + std::string(procedures) +
            "<td></tr></table>";
  if (!structures.empty())
    text += "Strukturen:\r\n<table cellpadding=\"5\"><tr><td>" + std::string(structures) +
            "<td></tr></table>";
  return text;
}

// The heading of an unconfigured entry, after its separator or page head.
inline std::string heading(std::string_view name) {
  return "<A NAME=\"" + std::string(name) + "\"></A>\n<B>" + std::string(name) + "</B>\n<BR><BR>\n";
}

// A structure's anchor and table with the given rows, after its separator
// or page head.
inline std::string structure(std::string_view name, std::string_view rows = "") {
  return "<A NAME=\"" + std::string(name) +
         "\"></A>\n<table border=\"1\">\n <tr><th colspan=\"3\">" + std::string(name) +
         "</th></tr>\n" + std::string(rows) + "</table>\n<BR><BR>\n";
}

inline std::string sourceLine(std::string_view path) {
  return "<BR>\nQuelle: " + std::string(path) + "<BR><BR>\n";
}

}  // namespace pirvex::testing

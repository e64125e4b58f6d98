// Whole runs of the built pirvex in a fresh directory, compared byte for
// byte: console from its second line on, and every file the run writes.
#include <gtest/gtest.h>

#include "support/workspace.h"

namespace pirvex::testing {
namespace {

const std::string Finished = "Info   : Programm erfolgreich beendet\r\n";
const std::string Sorting = "Info   : Sorting Indexes\r\n";
const std::string Linking = "Info   : Creating @see Links\r\n";
const std::string GeneralError = "Fehler : Ein Fehler ist aufgetreten\r\n";

// A whole source page: head with the title, the body as written, footer.
std::string page(std::string_view title, std::string_view body) {
  return crlf("<HTML>\n <HEAD>\n  <TITLE>\n   ") + std::string(title) +
         crlf("\n  </TITLE>\n </HEAD>\n <BODY>\n  <FONT SIZE=\"2\" FACE=\"VERDANA, ARIAL\">\n") +
         crlf(body) + crlf("  </FONT>\n </BODY>\n</HTML>");
}

std::string startPage(std::string_view title, std::string_view mainPage) {
  return crlf("<HTML>\n <HEAD>\n  <TITLE>\n   ") + std::string(title) +
         crlf("\n  </TITLE>\n </HEAD>\n <FRAMESET COLS=\"20%,*\" border=0 frameborder=0 "
              "framespacing=0>\n  <frame name=\"index\" src=\"ndx.htm\" scrolling=yes "
              "marginheight=5 marginwidth=5>\n  <frame name=\"main\" src=\"") +
         std::string(mainPage) +
         crlf("\" scrolling=yes marginheight=5 marginwidth=5>\n </frameset>\n</HTML>");
}

std::string indexLine(std::string_view pagePath, std::string_view name) {
  return "<A HREF=\"" + std::string(pagePath) + "#" + std::string(name) + "\" TARGET=\"main\">" +
         std::string(name) + "</A><BR>\r\n";
}

std::string navigation(std::string_view procedures, std::string_view structures) {
  std::string text;
  if (!procedures.empty())
    text += "Prozeduren:\r\n<table cellpadding=\"5\"><tr><td>" + std::string(procedures) +
            "<td></tr></table>";
  if (!structures.empty())
    text += "Strukturen:\r\n<table cellpadding=\"5\"><tr><td>" + std::string(structures) +
            "<td></tr></table>";
  return text;
}

TEST(Console, NoArgumentPrintsUsageAndCreatesNothing) {
  Workspace workspace;
  int exitCode = -1;
  std::string output = workspace.runRaw({}, exitCode);
  EXPECT_EQ(exitCode, 0);
  ASSERT_NE(output.find("\r\n"), std::string::npos);
  std::string banner = output.substr(0, output.find("\r\n") + 2);
  EXPECT_EQ(banner.substr(0, 7), "pirVex ");
  EXPECT_EQ(output.substr(banner.size()), "Usage  : pirVex Dateiname.ext\r\n");
  EXPECT_TRUE(workspace.files().empty());
  EXPECT_EQ(workspace.run({"-p"}), "Usage  : pirVex Dateiname.ext\r\n");
}

TEST(Console, FailuresBeforeThePassEndWithTheGeneralError) {
  Workspace workspace;
  EXPECT_EQ(workspace.run({"demo"}), GeneralError);
  EXPECT_EQ(workspace.run({"missing.asm"}),
            "missing.asmFehler : Quelldatei kann nicht geoeffnet werden\r\n" + GeneralError);
  workspace.write("empty.asm", "");
  EXPECT_EQ(workspace.run({"empty.asm"}), GeneralError);
  EXPECT_TRUE(workspace.files() == std::vector<std::string>{"empty.asm"});
}

TEST(Pages, WorkedExampleOfOneDocumentedProcedure) {
  Workspace workspace;
  workspace.write("demo.asm", crlf(";* Reads one line.\nFoo PROC\n  ret\nFoo ENDP\n"));
  EXPECT_EQ(workspace.run({"demo.asm"}), Sorting + Finished);
  EXPECT_EQ(workspace.read("pirVex/demo.HTM"),
            page("demo: demo.asm",
                 "<A NAME=\"Foo\"></A>\n<B>Foo</B>\n<BR><BR>\nReads one line.\n"
                 "<BR>\nQuelle: demo.asm<BR><BR>\n"));
  EXPECT_EQ(workspace.read("pirVex/f_ndx.htm"), indexLine("demo.HTM", "Foo"));
  EXPECT_EQ(workspace.read("pirVex/ndx.htm"), navigation(indexLine("demo.HTM", "Foo"), ""));
  EXPECT_EQ(workspace.read("pirVex/index.html"), startPage("demo", "demo.HTM"));
}

}  // namespace
}  // namespace pirvex::testing

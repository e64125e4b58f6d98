#include "driver/run.h"

#include <new>
#include <optional>
#include <stdexcept>

#include "driver/command_line.h"
#include "driver/run_state.h"
#include "driver/source_pass.h"
#include "index/entry_lookup.h"
#include "index/index_files.h"
#include "index/see_also.h"
#include "index/sort.h"
#include "site/render.h"

namespace pirvex {
namespace {

constexpr std::string_view Usage = "Usage  : pirVex Dateiname.ext\r\n";
constexpr std::string_view UnknownOption = "Fehler : Unbekannte Option ";
constexpr std::string_view LineEnd = "\r\n";
// After the usage line, for --help: every option, in the console's German.
constexpr std::string_view OptionList =
    "Optionen (vor oder nach dem Dateinamen):\r\n"
    "  -p                nur Eintraege mit @PUBLIC: dokumentieren\r\n"
    "  --include-dir=DIR INCLUDE-Dateien, die nicht wie geschrieben gefunden werden,\r\n"
    "                    im Verzeichnis der einbindenden Datei und dann in DIR suchen\r\n"
    "                    (mehrfach moeglich, in der angegebenen Reihenfolge)\r\n"
    "  --module=MUSTER   weitere Hauptquellen (Module) im selben Lauf dokumentieren;\r\n"
    "                    *, ? und ** erweitert pirVex selbst (mehrfach moeglich,\r\n"
    "                    in der angegebenen Reihenfolge)\r\n"
    "  --lenient         Quellen lesen wie die Assembler: Tabulator trennt Woerter,\r\n"
    "                    INCLUDE <Name> und 'Name', jede Datei nur einmal dokumentieren\r\n"
    "  --html5           zusaetzlich eine moderne Website in pirVex\\html5 schreiben:\r\n"
    "                    Suche, Quelltext, Aufrufer, Deep Links, dunkles Design\r\n"
    "  --encoding=NAME   Zeichensatz der Quellen fuer die Website: cp437, latin1\r\n"
    "                    oder utf8 (ohne Angabe: UTF-8, wo gueltig, sonst cp437)\r\n"
    "  --comments        einfache ;-Kommentare direkt ueber einer Prozedur ohne\r\n"
    "                    ;*-Block dokumentieren sie (Verzierung wie ;--- entfaellt)\r\n"
    "  --proc-macro=WORT Zeilen 'WORT Name,...' deklarieren eine Prozedur wie\r\n"
    "                    'Name PROC' (mehrfach moeglich)\r\n"
    "  --check           Befunde als DATEI(ZEILE): Warnung: ... melden (see-Verweise\r\n"
    "                    ohne Eintrag, doppelte Eintraege, Dokumentation ohne\r\n"
    "                    Prozedur, nicht lesbare Quellen); mit Befund Exit-Status 1\r\n"
    "  --help            diese Hilfe zeigen\r\n"
    "  --version         nur die Versionszeile zeigen\r\n";
constexpr std::string_view GeneralError = "Fehler : Ein Fehler ist aufgetreten\r\n";
constexpr std::string_view Sorting = "Info   : Sorting Indexes\r\n";
constexpr std::string_view Linking = "Info   : Creating @see Links\r\n";
constexpr std::string_view Finished = "Info   : Programm erfolgreich beendet\r\n";

// See-also links need the procedure index: a project without structures
// still gets them, with no structure names to find. The names they leave
// unlinked are what --check reports.
void runIndexPhase(RunState& run) {
  run.platform.printMessage(Sorting);
  const IndexSort procedures = sortIndex(run.outputs, ProcedureIndexName, run.procedureTable);
  const IndexSort structures = procedures == IndexSort::Sorted
                                   ? sortIndex(run.outputs, StructureIndexName, run.structureTable)
                                   : IndexSort::Failed;
  run.findings.reportPass(procedures == IndexSort::Sorted ? &run.procedureTable : nullptr,
                          structures == IndexSort::Sorted ? &run.structureTable : nullptr);
  if (procedures != IndexSort::Sorted || structures == IndexSort::Failed) {
    run.findings.reportSeeAlso(nullptr, nullptr);
    return;
  }
  run.platform.printMessage(Linking);
  const EntryLookup entries(run.platform, run.procedureTable, run.structureTable);
  SeeAlsoOutcome outcome;
  linkSeeAlso(run.outputs, run.procedureTable, entries, run.findings.on ? &outcome : nullptr);
  run.findings.reportSeeAlso(&outcome, &entries);
}

// Derives the main source's names; false for a name without ".".
bool setMainNames(RunState& run, const CommandLine& command) {
  if (command.afterLastDot == 0) return false;
  run.mainName.assign(command.name);
  run.baseNameLength = static_cast<std::uint32_t>(command.afterLastDot - 1);
  run.mainPagePath.assign(command.name.substr(0, command.afterLastDot));
  run.mainPagePath += "HTM";
  run.context = run.freshContext(run.mainName, run.mainPagePath);
  return true;
}

// The start page frames the main page: where the main source documented
// nothing itself and no included file's page took its path, the main page
// is written now, its header and footer only.
void writeMainPageIfMissing(RunState& run) {
  Page& page = run.context.page;
  if (run.outputs.created(pageFileName(page.pagePath))) return;
  openPage(page);
  closePage(page);
}

int runSources(platform::Platform& platform, const CommandLine& command) {
  RunState run(platform);
  run.publicOnly = command.publicOnly;
  run.lenient = command.lenient;
  run.includeDirectories = command.includeDirectories;
  run.comments = command.comments;
  run.findings.on = command.check;
  run.procedureMacros = command.procedureMacros;
  site::SiteModel siteModel;
  siteModel.procedureMacros = command.procedureMacros;
  if (command.html5) run.site = &siteModel;
  if (!setMainNames(run, command) || !processSourceFile(run)) {
    platform.printMessage(GeneralError);
    return ExitFailed;
  }
  writeMainPageIfMissing(run);
  documentModules(run, command.modulePatterns);
  // The site is prepared beside the index phase and written after it.
  std::optional<site::Site> site;
  if (run.site) {
    site.emplace(run.outputs, siteModel, run.baseName(), command.encoding);
    site->prepare();
  }
  runIndexPhase(run);
  writeNavigationPage(run.outputs, run.procedureIndex, run.structureIndex);
  writeStartPage(run.outputs, run.baseName(), run.mainPagePath);
  if (site) site->write();
  run.procedureIndex.close();
  run.structureIndex.close();
  platform.printMessage(Finished);
  return run.outputs.anyUnwritten() || run.findings.any() ? ExitFailed : ExitComplete;
}

}  // namespace

int runTool(platform::Platform& platform, std::string_view commandLine) {
  platform.printMessage(Banner);
  CommandLine command;
  const bool named = parseCommandLine(commandLine, command);
  if (!command.unknownOption.empty()) {
    platform.printMessage(UnknownOption);
    platform.printMessage(command.unknownOption);
    platform.printMessage(LineEnd);
    platform.printMessage(Usage);
    return ExitUsage;
  }
  if (command.help) {
    platform.printMessage(Usage);
    platform.printMessage(OptionList);
    return ExitComplete;
  }
  if (command.version) return ExitComplete;
  if (!named) {
    platform.printMessage(Usage);
    return ExitUsage;
  }
  try {
    return runSources(platform, command);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  // Memory for a name, a path or a word could not be had: the run stops as
  // on any other general error, never with an abort.
  platform.printMessage(GeneralError);
  return ExitFailed;
}

}  // namespace pirvex

#include "driver/run.h"

#include "driver/command_line.h"
#include "driver/run_state.h"
#include "driver/source_pass.h"
#include "index/index_files.h"
#include "index/see_also.h"
#include "index/sort.h"

namespace pirvex {
namespace {

constexpr std::string_view Usage = "Usage  : pirVex Dateiname.ext\r\n";
constexpr std::string_view GeneralError = "Fehler : Ein Fehler ist aufgetreten\r\n";
constexpr std::string_view Sorting = "Info   : Sorting Indexes\r\n";
constexpr std::string_view Linking = "Info   : Creating @see Links\r\n";
constexpr std::string_view Finished = "Info   : Programm erfolgreich beendet\r\n";

void runIndexPhase(RunState& run) {
  run.platform.printMessage(Sorting);
  if (!sortIndex(run.platform, ProcedureIndexName, run.procedureTable)) return;
  if (!sortIndex(run.platform, StructureIndexName, run.structureTable)) return;
  run.platform.printMessage(Linking);
  linkSeeAlso(run.platform, run.procedureTable, run.structureTable);
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

}  // namespace

void runTool(platform::Platform& platform, std::string_view commandLine) {
  platform.printMessage(Banner);
  CommandLine command;
  if (!parseCommandLine(commandLine, command)) {
    platform.printMessage(Usage);
    return;
  }
  RunState run(platform);
  run.publicOnly = command.publicOnly;
  if (!setMainNames(run, command) || !processSourceFile(run)) {
    platform.printMessage(GeneralError);
    return;
  }
  runIndexPhase(run);
  writeNavigationPage(platform, run.procedureIndex, run.structureIndex);
  (void)writeStartPage(platform, run.baseName(), run.mainPagePath);
  platform.printMessage(Finished);
}

}  // namespace pirvex

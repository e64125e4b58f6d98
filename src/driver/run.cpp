#include "driver/run.h"

#include <new>
#include <stdexcept>

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
  if (!sortIndex(run.outputs, ProcedureIndexName, run.procedureTable)) return;
  if (!sortIndex(run.outputs, StructureIndexName, run.structureTable)) return;
  run.platform.printMessage(Linking);
  linkSeeAlso(run.outputs, run.procedureTable, run.structureTable);
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

int runSources(platform::Platform& platform, const CommandLine& command) {
  RunState run(platform);
  run.publicOnly = command.publicOnly;
  if (!setMainNames(run, command) || !processSourceFile(run)) {
    platform.printMessage(GeneralError);
    return ExitFailed;
  }
  runIndexPhase(run);
  writeNavigationPage(run.outputs, run.procedureIndex, run.structureIndex);
  writeStartPage(run.outputs, run.baseName(), run.mainPagePath);
  run.procedureIndex.close();
  run.structureIndex.close();
  platform.printMessage(Finished);
  return run.outputs.anyUnwritten() ? ExitFailed : ExitComplete;
}

}  // namespace

int runTool(platform::Platform& platform, std::string_view commandLine) {
  platform.printMessage(Banner);
  CommandLine command;
  if (!parseCommandLine(commandLine, command)) {
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

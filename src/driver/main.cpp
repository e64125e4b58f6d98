#include "driver/run.h"
#include "platform/buffered_platform.h"
#include "platform/system_platform.h"

int main(int argc, char** argv) {
  pirvex::platform::SystemPlatform::prepareProcess();
  pirvex::platform::SystemPlatform system;
  pirvex::platform::BufferedPlatform platform(system);
  return pirvex::runTool(platform, pirvex::platform::SystemPlatform::commandLine(argc, argv));
}

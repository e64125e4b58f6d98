#include "driver/run.h"
#include "platform/platform.h"

int main(int argc, char** argv) {
  pirvex::runTool(pirvex::platform::commandLine(argc, argv));
  return 0;
}

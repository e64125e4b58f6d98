// The back end of the system pirVex is built for.
#pragma once

#ifdef _WIN32
#include "platform/win32_platform.h"
namespace pirvex::platform {
using SystemPlatform = Win32Platform;
}
#else
#include "platform/posix_platform.h"
namespace pirvex::platform {
using SystemPlatform = PosixPlatform;
}
#endif

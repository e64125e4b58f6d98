// Shared by the platform back ends: the fault plan that tests set.
#pragma once

#include "platform/platform.h"

namespace pirvex::platform {

// Counts one call of the service and tells whether the plan makes it fail.
bool injectedFault(Service service);

}  // namespace pirvex::platform

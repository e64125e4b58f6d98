#include "platform/faults.h"

#include <array>

namespace pirvex::platform {
namespace {

struct Plan {
  unsigned failAt = 0;  // 0: never
  unsigned calls = 0;
};

std::array<Plan, static_cast<std::size_t>(Service::Count)> plans;

}  // namespace

void failNthCall(Service service, unsigned n) {
  Plan& plan = plans[static_cast<std::size_t>(service)];
  plan.failAt = n;
  plan.calls = 0;
}

void clearFaults() { plans = {}; }

bool injectedFault(Service service) {
  Plan& plan = plans[static_cast<std::size_t>(service)];
  if (plan.failAt == 0) return false;
  return ++plan.calls == plan.failAt;
}

}  // namespace pirvex::platform

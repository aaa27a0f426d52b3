#include <windows.h>

#include <cstdint>

#include "platform/Stack.hpp"

namespace trel::quorlinsrv::platform {

// Windows raises its stack overflow on the guard pages at the bottom of the reserved stack, with
// a few pages of guarantee below them: neither is for frames.
constexpr std::uintptr_t kGuardBytes = 64 * 1024;

std::uintptr_t lowestUsableStackAddress() {
  ULONG_PTR low = 0;
  ULONG_PTR high = 0;
  GetCurrentThreadStackLimits(&low, &high);
  return low != 0 ? static_cast<std::uintptr_t>(low) + kGuardBytes : 0;
}

}  // namespace trel::quorlinsrv::platform

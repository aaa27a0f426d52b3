// The calling thread's stack, for the regular-expression check, which must not compile a pattern
// whose recursion could run past it.
#pragma once

#include <cstddef>
#include <cstdint>

namespace trel::quorlinsrv::platform {

// The lowest address of the calling thread's stack that a frame may use (above its guard); 0
// when the system does not tell.
std::uintptr_t lowestUsableStackAddress();

// The bytes of the calling thread's stack still free below `here` (the address of a local of the
// caller); 0 when unknown. The bounds are asked for once per thread.
inline std::size_t freeStackBelow(const void* here) {
  thread_local const std::uintptr_t lowest = lowestUsableStackAddress();
  const auto at = reinterpret_cast<std::uintptr_t>(here);
  return lowest != 0 && at > lowest ? at - lowest : 0;
}

}  // namespace trel::quorlinsrv::platform

#include <pthread.h>

#include <cstdint>

#include "platform/Stack.hpp"

namespace trel::quorlinsrv::platform {

// The lowest address a frame may use (above the guard), 0 when unknown; for the main thread the
// system reads the bounds from /proc.
std::uintptr_t lowestUsableStackAddress() {
  pthread_attr_t attributes;
  if (pthread_getattr_np(pthread_self(), &attributes) != 0)
    return 0;
  void* lowest = nullptr;
  std::size_t size = 0;
  std::size_t guard = 0;
  const bool known = pthread_attr_getstack(&attributes, &lowest, &size) == 0 &&
                     pthread_attr_getguardsize(&attributes, &guard) == 0;
  pthread_attr_destroy(&attributes);
  return known ? reinterpret_cast<std::uintptr_t>(lowest) + guard : 0;
}

}  // namespace trel::quorlinsrv::platform

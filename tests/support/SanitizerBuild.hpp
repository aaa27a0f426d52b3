// Whether this test program was built with a sanitizer, for the tests that cannot run under one
// (address-space limits) or that shrink their inputs under one.
#pragma once

#include <cstddef>

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QUORLIN_SANITIZER_BUILD 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QUORLIN_SANITIZER_BUILD 1
#endif
#endif

namespace trel::quorlinsrv::test {

#ifdef QUORLIN_SANITIZER_BUILD
inline constexpr bool kSanitizerBuild = true;
#else
inline constexpr bool kSanitizerBuild = false;
#endif

// Sizes of generated inputs are divided by this: sanitizers make big inputs slow, not different.
inline constexpr std::size_t kSanitizerScaleDown = kSanitizerBuild ? 10 : 1;

}  // namespace trel::quorlinsrv::test

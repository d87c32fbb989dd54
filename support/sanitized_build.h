#pragma once
// Whether the sanitizers watch this build: the long sweeps then run
// thinner, as their code is the same and each pass costs several times
// what it does unwatched. Header only, so every test program can use it.

namespace ob::test {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
inline constexpr bool kSanitizedBuild = true;
#else
inline constexpr bool kSanitizedBuild = false;
#endif
#else
inline constexpr bool kSanitizedBuild = false;
#endif

}  // namespace ob::test

// Checks of what a module's header promises. In debug builds and in the
// sanitizer builds the native tests run, a failed check names its file and
// line and ends the program at once, before the broken promise spreads; in
// release builds a check costs nothing and its condition is not evaluated.
// Conditions therefore never carry side effects the program relies on.
#pragma once

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define ORBA_CHECKS_ON 1
#endif
#endif
#if !defined(NDEBUG) || defined(__SANITIZE_ADDRESS__)
#ifndef ORBA_CHECKS_ON
#define ORBA_CHECKS_ON 1
#endif
#endif

#ifdef ORBA_CHECKS_ON
#include <cstdio>
#include <cstdlib>
[[noreturn]] inline void Chk_Fail(const char* what, const char* file, int line) {
  std::fprintf(stderr, "%s:%d: check failed: %s\n", file, line, what);
  std::abort();
}
#define ORBA_CHECK(c) ((c) ? (void)0 : Chk_Fail(#c, __FILE__, __LINE__))
#else
// Not evaluated, but still compiled: what a check names stays in use.
#define ORBA_CHECK(c) ((void)sizeof(!(c)))
#endif

// Checks of module invariants: a header's promise that a cheap test can back
// is asserted where the module keeps it. The checks run in debug builds and
// wherever ORBA_CHECKS is defined (every native build, which is what the
// tests run); release builds of the programs leave them out.
//
// Owns nothing. Promises: a failed check names the file, the line and the
// condition on stderr and ends the process, so that a test run fails at the
// step that broke the invariant rather than later at its consequences.
#pragma once

#if !defined(NDEBUG) || defined(ORBA_CHECKS)
#define ORBA_CHECKS_ON 1
#define ORBA_CHECK(cond) ((cond) ? (void)0 : Chk_Fail(__FILE__, __LINE__, #cond))
#else
#define ORBA_CHECKS_ON 0
// The condition is named but never evaluated, so what only a check uses
// stays used.
#define ORBA_CHECK(cond) ((void)sizeof(!(cond)))
#endif

// Reports the broken invariant and aborts.
[[noreturn]] void Chk_Fail(const char* file, int line, const char* what);

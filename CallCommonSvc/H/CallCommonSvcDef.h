// Export macros and the checks and traces shared by every unit of the library.
#pragma once

#include "../Platform/TmxCore.h"

#if defined(__GNUC__)
#define CALLCOMMONSVC_API __attribute__((visibility("default")))
#else
#define CALLCOMMONSVC_API
#endif

#ifdef __cplusplus
#define CALL_EXTERN_C extern "C"
#else
#define CALL_EXTERN_C
#endif

// An exported flat function: unmangled and visible.
#define CALL_EXPORT CALL_EXTERN_C CALLCOMMONSVC_API

// Checks a precondition. When it fails, reports ASSERTION_REQUIRE with the condition exactly as
// written, the unit's kSourcePath and the line; the caller then returns its failure value.
#define CALL_REQUIRE(cond)                                                                      \
    ((cond) ? true                                                                              \
            : (_SysAssertReport(TMX_ASSERTION_REQUIRE, "ASSERTION_REQUIRE", #cond, kSourcePath, \
                                __LINE__),                                                      \
               false))

// Reports a precondition that has already been found false.
#define CALL_REPORT_REQUIRE(text) \
    _SysAssertReport(TMX_ASSERTION_REQUIRE, "ASSERTION_REQUIRE", text, kSourcePath, __LINE__)

// Reports a branch that must never run.
#define CALL_NEVER_GET_HERE()                                                                    \
    _SysAssertReport(TMX_ASSERTION_NEVER_GET_HERE, "ASSERTION_NEVER_GET_HERE", "NEVER_GET_HERE", \
                     kSourcePath, __LINE__)

// Backlight requests of the call screens: 1 to 8.
typedef int32_t CallBackLightState;

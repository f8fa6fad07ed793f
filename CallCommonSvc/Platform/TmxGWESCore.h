// TmxGWESCore: the platform's graphics and window library, as this library calls it.
#pragma once

#include "TmxCore.h"

#ifdef __cplusplus
extern "C" {
#endif

/* The platform's rectangle, in pixels. */
typedef struct tagWMRECT {
    int32_t x;
    int32_t y;
    int32_t w;
    int32_t h;
} tagWMRECT;

#ifdef __cplusplus
}
#endif

// TmxGWESWinSet: the platform's style sets (themes), as this library calls them.
#pragma once

#include "TmxCore.h"

#ifdef __cplusplus
extern "C" {
#endif

/* One style item of a style set. The platform owns it; it lives as long as its style set. */
typedef struct tagWSSTYLEITEM {
    uint32_t nID;           // the item's id in its style set
    uint32_t nColor;        // 0xAARRGGBB
    int32_t nOpacityLevel;  // the item's own opacity level
} WsStyleItem;

/* A style set; its content is the platform's. */
typedef struct tagWSSTYLESET WsStyleSet;

/* Ways to derive a colour from an item; value is the method's argument. */
#define WS_DERIVE_AS_IS 0    // the item's colour
#define WS_DERIVE_LIGHTER 1  // value percent of the way towards white
#define WS_DERIVE_DARKER 2   // value percent of the way towards black

// The current style set, owned by the platform; never NULL while the platform runs.
TMX_API WsStyleSet* WsGetCurrentStyleSet(void);
// The item of the set with the id, or NULL (also for a NULL set).
TMX_API WsStyleItem* WsGetStyleSetItem(WsStyleSet* pStyleSet, unsigned int styleID);
/* The item's colour derived by method and value: 0xAARRGGBB, the item's alpha kept. An unknown
   method gives the colour as is; a NULL item gives 0. */
TMX_API unsigned int WsGetStyleItemDerivativeColor(const WsStyleItem* pItem, int method, int value);

#ifdef __cplusplus
}

static_assert(sizeof(WsStyleItem) == 12, "a style item is three 32-bit words");
#endif

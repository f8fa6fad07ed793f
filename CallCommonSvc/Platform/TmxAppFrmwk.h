// TmxAppFrmwk: the platform's application framework, as this library calls it.
#pragma once

#include "TmxAVMS.h"
#include "TmxCore.h"

/* Interface id of the effect-sound player for AppSndQueryInterface. */
#define APPSND_IID_EFFECT_PLAYER 18

/* Repeat modes of an effect. */
#define APPSND_REPEAT_ONCE 0
#define APPSND_REPEAT_ON 3

typedef int32_t LcdType;

#ifdef __cplusplus
extern "C" {
#endif

/* LED blink and vibration: a start returns a handle or INVALID_HOBJ; clear and stop return
   non-zero on success. */
TMX_API int AmLedBlink(int led, int ledSetting, int onTime, int offTime, int count);
TMX_API int AmLedClear(int hLed);
TMX_API int AmVibStart(int level, int onTime, int offTime, int count);
TMX_API int AmVibStop(int hVib);

/* Backlight times in milliseconds; an on time of -1 keeps the light on. */
TMX_API int AmLcdSetBacklight(LcdType lcdType, int reserved, int onTime, int dimTime);
/* Fills *pState with the notify state of `item` on `screen`. */
TMX_API int AmGetNotifyStateByScreen(int screen, int item, int* pState);

/* Effect-sound player: an object whose first word is its operation table. Every operation
   takes the object first. */
typedef struct AppSndEffectPlayer AppSndEffectPlayer;
typedef int (*AppSndEffectCallback)(void* param);
typedef int (*AppSndReservedOp)(AppSndEffectPlayer* self);
typedef struct AppSndEffectPlayerOps {
    AppSndReservedOp QueryInterface;
    AppSndReservedOp AddRef;
    int (*Release)(AppSndEffectPlayer* self);
    AppSndReservedOp reserved3;
    AppSndReservedOp reserved4;
    int (*Play)(AppSndEffectPlayer* self, int iEffectType, AppSndEffectCallback callback,
                int reserved, int bVib);
    int (*PlayWithType)(AppSndEffectPlayer* self, int iEffectType, int iSndType,
                        AppSndEffectCallback callback, int reserved, int bVib);
    int (*Stop)(AppSndEffectPlayer* self, int iEffectType);
    AppSndReservedOp reserved8;
    AppSndReservedOp reserved9;
    AppSndReservedOp reserved10;
    int (*SetPath)(AppSndEffectPlayer* self, int iEffectType, SndOutDevPath path);
    int (*SetRepeat)(AppSndEffectPlayer* self, int iEffectType, int mode);
    int (*SetVolume)(AppSndEffectPlayer* self, int iEffectType, const AvVolume* pVolume);
} AppSndEffectPlayerOps;
struct AppSndEffectPlayer {
    const AppSndEffectPlayerOps* pOps;
};

/* Fills *ppObj with a new object of interface `iid`, or leaves it null. */
TMX_API int AppSndQueryInterface(int iid, void** ppObj);
TMX_API int AppSndStopEffectSound(int iEffectType);

#ifdef __cplusplus
}

// The library calls the player's operations by their position in the table.
static_assert(offsetof(AppSndEffectPlayerOps, Release) == 2 * sizeof(void*), "release at 2");
static_assert(offsetof(AppSndEffectPlayerOps, Play) == 5 * sizeof(void*), "play at 5");
static_assert(offsetof(AppSndEffectPlayerOps, PlayWithType) == 6 * sizeof(void*), "at 6");
static_assert(offsetof(AppSndEffectPlayerOps, Stop) == 7 * sizeof(void*), "stop at 7");
static_assert(offsetof(AppSndEffectPlayerOps, SetPath) == 11 * sizeof(void*), "path at 11");
static_assert(offsetof(AppSndEffectPlayerOps, SetRepeat) == 12 * sizeof(void*), "at 12");
static_assert(offsetof(AppSndEffectPlayerOps, SetVolume) == 13 * sizeof(void*), "at 13");
static_assert(sizeof(AppSndEffectPlayerOps) == 14 * sizeof(void*), "fourteen operations");
#endif

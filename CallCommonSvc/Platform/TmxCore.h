// TmxCore: the platform's core services, as this library calls them.
#pragma once

#include <stddef.h>
#include <stdint.h>

#if defined(__GNUC__)
#define TMX_API __attribute__((visibility("default")))
#define TMX_PRINTF(fmt, first) __attribute__((format(printf, fmt, first)))
#else
#define TMX_API
#define TMX_PRINTF(fmt, first)
#endif

#ifndef NULL
#define NULL 0
#endif

// A platform handle naming no object.
#define INVALID_HOBJ (-1)

// Trace channels.
#define TMX_DBG_FAIL 0xBA         // failures and warnings
#define TMX_DBG_INFO 0xE6         // device signalling, display names
#define TMX_DBG_CALL 0x200E6      // timers, call control, DTMF, audio path, effect sounds
#define TMX_DBG_WIDGET 0x400E6    // call-screen widgets
#define TMX_DBG_UTIL 0x800E6      // utilities, contact lookup, thumbnail
#define TMX_DBG_SETTING 0x1000E6  // settings store, caller-ID players

// Assertion report kinds.
#define TMX_ASSERTION_ASSERT 0
#define TMX_ASSERTION_REQUIRE 1
#define TMX_ASSERTION_NEVER_GET_HERE 4

// Module whose status tells whether the platform heap runs.
#define TMX_MODULE_MEMORY 2

#ifdef __cplusplus
extern "C" {
#endif

/* Traces and assertion reports. */
TMX_API void SysDebugPrintf(unsigned int channel, const char* format, ...) TMX_PRINTF(2, 3);
TMX_API void _SysAssertReport(int kind, const char* kindName, const char* expression,
                              const char* sourcePath, int line);
TMX_API void _SysSaveAssertMsg(const char* format, ...) TMX_PRINTF(1, 2);

/* Platform heap. _MemIsHeapAddr is non-zero for a live block of this heap. */
TMX_API void* MemAllocTraceEx(int heap, unsigned int size, const char* sourcePath, int line);
TMX_API void* MemCallocTraceEx(int heap, unsigned int count, unsigned int size,
                               const char* sourcePath, int line);
TMX_API void* MemReAllocTraceEx(int heap, void* block, unsigned int size, const char* sourcePath,
                                int line);
TMX_API void MemFreeTraceMultiHeap(void* block, const char* sourcePath, int line);
TMX_API int _MemIsHeapAddr(const void* block);

/* Module status and module classes. */
TMX_API int SysGetModuleStatus(int module);
TMX_API int __SysRegisterClass(int reserved, unsigned int classId, void* classRecord, int flag);
TMX_API int SysUnregisterClass(int reserved, unsigned int classId);

/* Bounded memory and string operations. destSize is the capacity of dest in bytes; nothing is
   written beyond it and string results are always terminated. */
TMX_API void* AcMemsetEx(void* dest, unsigned int destSize, int value, unsigned int count,
                         const char* sourcePath, int line);
TMX_API void* AcMemcpyEx(void* dest, unsigned int destSize, const void* src, unsigned int count,
                         const char* sourcePath, int line);
TMX_API char* AcStrcpySEx(char* dest, unsigned int destSize, const char* src,
                          const char* sourcePath, int line);
TMX_API char* AcStrncpyEx(char* dest, unsigned int destSize, const char* src, unsigned int count,
                          const char* sourcePath, int line);
TMX_API char* AcStrcpyEx(char* dest, unsigned int destSize, const char* src, const char* sourcePath,
                         int line);
TMX_API char* AcStrcatEx(char* dest, unsigned int destSize, const char* src, const char* sourcePath,
                         int line);
TMX_API int AcSprintfSEx(char* dest, unsigned int destSize, const char* sourcePath, int line,
                         const char* format, ...) TMX_PRINTF(5, 6);
TMX_API int AcStrlen(const char* s);
TMX_API int AcStrcmp(const char* a, const char* b);
TMX_API int AcStricmp(const char* a, const char* b);
/* The extension of a file path (after the last '.' of its last component, without the dot)
   into ext, terminated within extSize bytes; "" when there is none. Non-zero when one was found. */
TMX_API int FmGetFileExtEx(const char* path, char* ext, int extSize);
TMX_API char* AcStrchr(const char* s, int c);
TMX_API int AcAtoi(const char* s);

/* Non-volatile settings, phone status and accessories. NvGetString writes at most
   NV_STRING_MAX bytes, terminator included. */
#define NV_STRING_MAX 256
TMX_API int NvGetInt(int item);
TMX_API int NvGetString(int item, char* buffer);
TMX_API int PhsGetStatus(int id);
TMX_API int PhsIsDevInserted(int id);
TMX_API int SysIsFeatureEnabled(const char* featureName);

/* Registry files: ini-style files named relative to the platform's data folder. */
TMX_API int RegLoad(const char* path, int create);
TMX_API int RegUnload(int hReg);
TMX_API int RegFlush(int hReg);
TMX_API int RegClean(const char* path);
TMX_API int RegSetSection(int hReg, const char* section, const char* bodyText);
TMX_API int RegGetInt(int hReg, const char* section, const char* key, int defaultValue);
TMX_API int RegSetInt(int hReg, const char* section, const char* key, int value);
TMX_API unsigned long long RegGetUint64(int hReg, const char* section, const char* key,
                                        unsigned long long defaultValue);
TMX_API int RegSetUint64(int hReg, const char* section, const char* key, unsigned long long value);
TMX_API int RegGetString(int hReg, const char* section, const char* key, const char* defaultValue,
                         char* dest, int destSize);
TMX_API int RegSetString(int hReg, const char* section, const char* key, const char* value);
TMX_API int RegGetStringEx(int hReg, const char* section, const char* key, const char* defaultValue,
                           char* dest, int destSize);
TMX_API int RegSetStringEx(int hReg, const char* section, const char* key, const char* value);

/* Window-manager and hard timers: one-shot, period in milliseconds. A started timer calls
   callback(hTimer, param) once when its period has elapsed. */
typedef void (*WmTimerCallback)(int hTimer, unsigned long param);
TMX_API int __WmCreateTimer(const char* name, const char* sourcePath, int line);
TMX_API int WmStartTimer(int hTimer, unsigned long period, WmTimerCallback callback,
                         unsigned long param);
TMX_API int WmCancelTimer(int hTimer);
TMX_API int __WmDeleteTimer(int hTimer, const char* sourcePath, int line);
TMX_API int WmIsTimerActive(int hTimer);
TMX_API int WmCreateHardTimer(const char* name);
TMX_API int WmStartHardTimer(int hTimer, unsigned long period, WmTimerCallback callback,
                             unsigned long param);
TMX_API int WmCancelHardTimer(int hTimer);
TMX_API int __WmDeleteHardTimer(int hTimer, const char* sourcePath, int line);

/* Local time in seconds, and its calendar form. */
typedef struct TmDateTime {
    int32_t nYear;
    int32_t nMonth;  // 1 to 12
    int32_t nDay;    // 1 to 31
    int32_t nHour;
    int32_t nMinute;
    int32_t nSecond;
} TmDateTime;
TMX_API unsigned int TmGetLocalTime(void);
TMX_API int TmSecondsToDateTime64(unsigned long long seconds, TmDateTime* pDateTime);
/* Milliseconds since the platform started. */
TMX_API unsigned int TmGetElapsedTime(void);

/* Display, flip, keys and G-sensor. */
typedef int32_t APP_ID;
#define SCREEN_MAIN 0
TMX_API unsigned int SysGetLcdWidth(int screen);   // pixels of the screen's width
TMX_API unsigned int SysGetLcdHeight(int screen);  // pixels of the screen's height
TMX_API int SysIsLcdHorizontal(int display);
TMX_API int FlipIsOpened(void);
TMX_API int KeyIsTouchCoverKey(int keyCode);
TMX_API int DevGSensorRegisterEventHandler(int hHandler);
TMX_API int DevGSensorUnregisterEventHandler(int hHandler);
TMX_API int DevGSensorStartMotion(APP_ID appID);
TMX_API int DevGSensorStopMotion(APP_ID appID);

#ifdef __cplusplus
}

static_assert(sizeof(TmDateTime) == 24, "the date-time record is 24 bytes");
#endif

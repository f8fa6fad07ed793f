// TmxAVMS: the platform's media library, as this library calls it.
#pragma once

#include "TmxCore.h"

/* 32-bit codes of the platform's sound system. */
typedef int32_t SsmSoundPriority_T;
typedef int32_t SsmSoundType_T;
typedef int32_t SsmSoundCommand_T;
typedef int32_t SndOutDevPath;

// The ring-volume table that both caller-ID players build from the call-alert type.
#pragma once

#include "CallVideoCLI.h"

namespace callringvolume {

const uint32_t kEscalatingStepPeriod = 3000;
const uint32_t kPlainStepPeriod = 2000;
const int kEscalatingLevelStep = 16;
const int kQuietFirstLevel = 7;

inline bool IsEscalating(int alertType) {
    return alertType == 2 || alertType == 6;
}

// Steps of the escalating table at ring volume V: V / 16 + 1, truncating toward zero.
inline int EscalatingSteps(int ringVolume) {
    return ringVolume / kEscalatingLevelStep + 1;
}

// The table for the alert type, its index at 0. The escalating table must fit (the caller checks
// EscalatingSteps first); a negative ring volume, which would give no step or a negative count
// that the tick walks past the table, escalates from level 0 in one step, as volumes below 16 do.
inline CallVCLIVolume Table(int alertType, int ringVolume) {
    CallVCLIVolume table = {};
    if (IsEscalating(alertType)) {
        const int steps = EscalatingSteps(ringVolume);
        table.nStepCount = steps > 0 ? steps : 1;
        for (int i = 0; i < table.nStepCount; ++i) {
            table.step[i].nDuration = kEscalatingStepPeriod;
            table.step[i].volume[0] = 1;
            table.step[i].volume[1] = kEscalatingLevelStep * i;
        }
    } else if (alertType == 1 || alertType == 5) {
        table.nStepCount = 2;
        table.step[0].nDuration = kPlainStepPeriod;
        table.step[0].volume[1] = kQuietFirstLevel;
        table.step[1].nDuration = kPlainStepPeriod;
        table.step[1].volume[1] = ringVolume;
    } else {
        table.nStepCount = 1;
        table.step[0].nDuration = kPlainStepPeriod;
        table.step[0].volume[1] = ringVolume;
    }
    return table;
}

}  // namespace callringvolume

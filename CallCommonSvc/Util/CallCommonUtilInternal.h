// Shared by the units of CCallUtil; not exported.
#pragma once

// The serving network's word: MCC in the upper 16 bits, MNC in the lower, from a fresh request.
unsigned int CallUtilNetworkWord();

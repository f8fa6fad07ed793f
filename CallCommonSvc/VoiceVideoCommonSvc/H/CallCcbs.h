// The CCBS slot list: at most MAX numbered record copies.
#pragma once

#include "../../H/CallList.h"
#include "../../Platform/TmxCommTAPI.h"

template <int MAX>
class CCallCcbsList : public CCallList<TapiCcbsInfo> {
public:
    CCallCcbsList() : m_nIndex(0) { RemoveAll(); }

    using CCallList<TapiCcbsInfo>::Add;

    virtual int Delete(int key) {
        if (!CCallList<TapiCcbsInfo>::Delete(key)) {
            return 0;
        }
        --m_nIndex;
        return 1;
    }

    virtual int RemoveAll() {
        m_nIndex = 0;
        return CCallList<TapiCcbsInfo>::RemoveAll();
    }

    // Stores a copy in the lowest free slot from 1 to MAX, so that a slot still in use is never
    // overwritten after a delete from the middle.
    int Add(TapiCcbsInfo* pCcbsInfo) {
        static const char kSourcePath[] = "CallCommonSvc\\VoiceVideoCommonSvc\\H/CallCcbs";
        if (!CALL_REQUIRE(pCcbsInfo != NULL)) {
            return 0;
        }
        if (!CALL_REQUIRE(m_nIndex < MAX)) {
            return 0;
        }
        int key = 1;
        while (key < MAX && m_map.count(key) != 0) {
            ++key;
        }
        if (!CCallList<TapiCcbsInfo>::Add(key, pCcbsInfo)) {
            return 0;
        }
        ++m_nIndex;
        return 1;
    }

    int m_nIndex;  // slots in use
};

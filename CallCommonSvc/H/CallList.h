// A keyed list of owned record copies.
#pragma once

#include <map>

#include "../Platform/MemStub.h"
#include "CallAllocator.h"
#include "CallCommonSvcDef.h"

template <class T>
class CCallList {
public:
    CCallList() {}
    // Frees the copies still stored.
    virtual ~CCallList() { FreeAll(); }

    // Stores a copy of *pT under key, replacing a record already there.
    virtual int Add(int key, const T* pT) {
        static const char kSourcePath[] = "CallCommonSvc\\H/CallList";
        if (!CALL_REQUIRE(pT != NULL)) {
            return 0;
        }
        T* pObj = static_cast<T*>(MemStubMalloc(sizeof(T)));
        if (!CALL_REQUIRE(pObj != NULL)) {
            return 0;
        }
        AcMemcpyEx(pObj, sizeof(T), pT, sizeof(T), kSourcePath, __LINE__);
        if (!CallMapStore(m_map, key, pObj)) {
            MemStubFree(pObj);
            pObj = NULL;
            CALL_REQUIRE(pObj != NULL);
            return 0;
        }
        return 1;
    }

    virtual T* GetAt(int key) {
        typename Map::iterator it = m_map.find(key);
        return it != m_map.end() ? it->second : NULL;
    }

    // Copies *pT over the record stored under key; 0 when there is none.
    virtual int SetAt(int key, const T* pT) {
        static const char kSourcePath[] = "CallCommonSvc\\H/CallList";
        if (!CALL_REQUIRE(pT != NULL)) {
            return 0;
        }
        typename Map::iterator it = m_map.find(key);
        if (it == m_map.end()) {
            return 0;
        }
        AcMemcpyEx(it->second, sizeof(T), pT, sizeof(T), kSourcePath, __LINE__);
        return 1;
    }

    virtual int GetCount() {
        int n = static_cast<int>(m_map.size());
        SysDebugPrintf(TMX_DBG_INFO, "Count: n (%d)\n", n);
        return n;
    }

    virtual int Delete(int key) {
        typename Map::iterator it = m_map.find(key);
        if (it == m_map.end()) {
            SysDebugPrintf(TMX_DBG_FAIL, "Delete: m_map doesn't have an element (%d)\n", key);
            return 0;
        }
        MemStubFree(it->second);
        m_map.erase(it);
        return 1;
    }

    virtual int RemoveAll() {
        FreeAll();
        return 1;
    }

    CALL_MEMSTUB_TEMPLATE_OPERATORS

    // The list owns its copies; a copy of the list would free them twice.
    CCallList(const CCallList&) = delete;
    CCallList& operator=(const CCallList&) = delete;

protected:
    typedef std::map<int, T*, std::less<int>, CCallAllocator<std::pair<const int, T*> > > Map;

    Map m_map;

private:
    void FreeAll() {
        for (typename Map::iterator it = m_map.begin(); it != m_map.end(); ++it) {
            MemStubFree(it->second);
        }
        m_map.clear();
    }
};

// The singleton operations shared by the library's five long-lived service objects.
#pragma once

#include "CallCommonSvcDef.h"

// Inside the class body: the three static operations and the instance pointer.
#define CALL_DECLARE_SINGLETON(Class, pInstance) \
public:                                          \
    static Class* CreateInstance();              \
    static Class* GetInstance();                 \
    static void DeleteInstance();                \
                                                 \
private:                                         \
    static Class* pInstance;

// In the unit: their definitions. Reports name the instance pointer and use kSourcePath.
#define CALL_DEFINE_SINGLETON(Class, pInstance) \
    Class* Class::pInstance = NULL;             \
    Class* Class::CreateInstance() {            \
        if (!CALL_REQUIRE(pInstance == NULL)) { \
            return NULL;                        \
        }                                       \
        pInstance = new Class();                \
        if (!CALL_REQUIRE(pInstance != NULL)) { \
            return NULL;                        \
        }                                       \
        return pInstance;                       \
    }                                           \
    Class* Class::GetInstance() {               \
        if (!CALL_REQUIRE(pInstance != NULL)) { \
            return NULL;                        \
        }                                       \
        return pInstance;                       \
    }                                           \
    void Class::DeleteInstance() {              \
        if (!CALL_REQUIRE(pInstance != NULL)) { \
            return;                             \
        }                                       \
        delete pInstance;                       \
        pInstance = NULL;                       \
    }

#include "CallCommonCtRecord.h"

namespace {
const char kSourcePath[] = "CallCommonSvc\\Util\\CallCommonCtRecord";
}

CALL_DEFINE_SINGLETON(CCallCommonCtRecord, pCallCommonCtRecord)
CALL_DEFINE_MEMSTUB_OPERATORS(CCallCommonCtRecord)

CCallCommonCtRecord::CCallCommonCtRecord() {}

CCallCommonCtRecord::~CCallCommonCtRecord() {}

#include "CallCommonSvc/H/CallCommonSvc.h"
#include "support/HostTest.h"

TEST_F(LoadedTest, SmokeDefaults) {
    EXPECT_EQ(CallCommonSvcRegGetInt("Version", "Version"), 10);
    EXPECT_EQ(CallCommonSvcRegGetInt("CallSetting", "CALL_REG_KEY_PREFIX_DIALLING_SELECTED_ITEM"), -1);
}

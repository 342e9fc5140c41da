#include <gtest/gtest.h>

#include "kelvane/core/dravik.h"

TEST(DravikClosed, TargetCallsFailWithoutLibraryCall) {
    kv::CDravik pod;
    EXPECT_EQ(pod.GetErrorText(), "No error");
    EXPECT_EQ(pod.IsOpen(), 0);
    EXPECT_EQ(pod.OpenJTAG(), 0);
    EXPECT_EQ(pod.GetErrorText(), "NULL Dravik target encountered during OpenJTAG");
}

// Test entry of the test programs without Qt: gtest's own, in the tests' locale.
#include "TestLocale.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    UseTestLocale();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

// Shared helpers of the flat-look tests.
#pragma once

#include <QTest>

#include <gtest/gtest.h>

// Waits with the event loop and real timers running until `cond` holds (five seconds
// at most); a timeout fails the gtest test. (Qt's QTRY_ macros report to Qt Test
// and return silently under gtest.)
#define GW_TRY_TRUE(cond) EXPECT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(cond); })) << #cond
#define GW_TRY_EQ(actual, expected) \
    EXPECT_TRUE(QTest::qWaitFor([&] { return (actual) == (expected); })) << #actual " == " #expected << ", is " << (actual)

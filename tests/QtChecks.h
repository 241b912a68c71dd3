// Qt Test's checking macros for tests that run under GoogleTest.
//
// Qt's QVERIFY, QCOMPARE and QTRY_* report a failure to Qt Test's own log and return;
// outside QTest::qExec nothing sees that report, so a failed check let its gtest test
// pass. This header is force-included into every test target that links Qt Test and
// gives the macros the same waiting behaviour with failures that gtest records.
#pragma once

#include <QTest>

#include <gtest/gtest.h>

#undef QVERIFY
#undef QCOMPARE
#undef QTRY_VERIFY
#undef QTRY_COMPARE
#undef QTRY_VERIFY_WITH_TIMEOUT
#undef QTRY_COMPARE_WITH_TIMEOUT
#undef QVERIFY2
#undef QTRY_VERIFY2
#undef QTRY_VERIFY2_WITH_TIMEOUT

#define QVERIFY(expr)                                   \
    do {                                                \
        if (!static_cast<bool>(expr)) {                 \
            ADD_FAILURE() << "QVERIFY(" #expr ")";      \
            return;                                     \
        }                                               \
    } while (false)

#define QVERIFY2(expr, message)                                     \
    do {                                                            \
        if (!static_cast<bool>(expr)) {                             \
            ADD_FAILURE() << "QVERIFY2(" #expr "): " << (message); \
            return;                                                 \
        }                                                           \
    } while (false)

#define QCOMPARE(actual, expected)                                  \
    do {                                                            \
        if (!((actual) == (expected))) {                            \
            EXPECT_EQ(actual, expected) << "QCOMPARE";              \
            return;                                                 \
        }                                                           \
    } while (false)

#define QTRY_VERIFY_WITH_TIMEOUT(expr, timeout)                                              \
    do {                                                                                     \
        if (!QTest::qWaitFor([&] { return static_cast<bool>(expr); }, timeout)) {            \
            ADD_FAILURE() << "timed out after " << (timeout) << " ms waiting for " #expr;    \
            return;                                                                          \
        }                                                                                    \
    } while (false)

#define QTRY_VERIFY2_WITH_TIMEOUT(expr, message, timeout)                                                \
    do {                                                                                                 \
        if (!QTest::qWaitFor([&] { return static_cast<bool>(expr); }, timeout)) {                        \
            ADD_FAILURE() << "timed out after " << (timeout) << " ms waiting for " #expr ": " << (message); \
            return;                                                                                      \
        }                                                                                                \
    } while (false)

#define QTRY_COMPARE_WITH_TIMEOUT(actual, expected, timeout)                                 \
    do {                                                                                     \
        if (!QTest::qWaitFor([&] { return (actual) == (expected); }, timeout)) {             \
            EXPECT_EQ(actual, expected) << "timed out after " << (timeout) << " ms";         \
            return;                                                                          \
        }                                                                                    \
    } while (false)

#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, 5000)
#define QTRY_VERIFY2(expr, message) QTRY_VERIFY2_WITH_TIMEOUT(expr, message, 5000)
#define QTRY_COMPARE(actual, expected) QTRY_COMPARE_WITH_TIMEOUT(actual, expected, 5000)

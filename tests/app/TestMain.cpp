// Test entry: one QApplication for every test of the application's forms.
#include "TestLocale.h"
#include "framework/Dialogs.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Offscreen, unless a check under Xvfb asks for the X11 platform (xcb_check.sh).
    if (qgetenv("QT_QPA_PLATFORM") != "xcb")
        qputenv("QT_QPA_PLATFORM", "offscreen");
    UseTestLocale();
    QApplication app(argc, argv);
    // Message boxes and save dialogs are answered by the tests and recorded for them.
    MessageBoxSeam::TRecorder boxes;
    MessageBoxSeam::Install(&boxes);
    TSaveDialog::TRecorder saves;
    TSaveDialog::Install(&saves);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

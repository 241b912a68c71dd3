// Test entry: one QApplication for every framework test. With --shutdown-probe the
// program instead makes application-owned forms and ends, so that a test can watch
// the teardown in a process of its own.
#include "TestLocale.h"
#include "framework/Dialogs.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"

#include <QApplication>

#include <cstring>

#include <gtest/gtest.h>

namespace {

struct TProbeForm : TForm {
    explicit TProbeForm(TComponent* owner) : TForm(owner)
    {
        new TButton(new TPanel(this));
    }
};

int ShutdownProbe(int argc, char** argv)
{
    QApplication app(argc, argv);
    TProbeForm* main = nullptr;
    TProbeForm* hidden = nullptr;
    Application->CreateForm(main);
    Application->CreateForm(hidden);
    main->Show();
    QApplication::processEvents();
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    UseTestLocale();
    if (argc > 1 && std::strcmp(argv[1], "--shutdown-probe") == 0)
        return ShutdownProbe(argc, argv);
    QApplication app(argc, argv);
    // Message boxes and save dialogs are answered by the tests and recorded for them.
    MessageBoxSeam::TRecorder boxes;
    MessageBoxSeam::Install(&boxes);
    TSaveDialog::TRecorder saves;
    TSaveDialog::Install(&saves);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

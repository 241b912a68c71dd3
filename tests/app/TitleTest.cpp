// The titles the window system shows (_NET_WM_NAME and WM_NAME, read back with xprop)
// are the windows' captions exactly: the main window, the options and output-folder
// dialogs and a message box. Needs the X11 platform: run by xcb_check.sh under Xvfb.
#include "AppTestSupport.h"
#include "extract/OutputFolder.h"
#include "framework/Dialogs.h"
#include "settings/Option.h"

#include <QApplication>
#include <QProcess>
#include <QRegularExpression>
#include <QTimer>

namespace {

// The two title properties of the X window `id`, as xprop decodes them (their types,
// UTF8_STRING, STRING or COMPOUND_TEXT, left out).
std::string TitleProperties(WId id)
{
    QProcess xprop;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    xprop.setProcessEnvironment(environment);
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(id), QStringLiteral("_NET_WM_NAME"),
                                          QStringLiteral("WM_NAME")});
    if (!xprop.waitForFinished(10000))
        return "xprop did not answer";
    return QString::fromUtf8(xprop.readAllStandardOutput())
        .trimmed()
        .remove(QRegularExpression(QStringLiteral("\\([A-Z0-9_]+\\)")))
        .toStdString();
}

std::string Expected(const QString& caption)
{
    return QStringLiteral("_NET_WM_NAME = \"%1\"\nWM_NAME = \"%1\"").arg(caption).toStdString();
}

class TitleTest : public AppTest {};

TEST_F(TitleTest, EveryWindowIsTitledWithItsCaptionAlone)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs the X11 platform (xcb_check.sh)";
    // As the start-up names the application.
    Application->SetTitle(QStringLiteral("Glimmerwick"));
    const QString folder = MakeFolder(QStringLiteral("start"));
    WriteIni("[Init]\nDirectory=" + folder.toStdString() + "\n");
    TForm1* f = CreateMainForm();
    ShowMainForm();
    EXPECT_EQ(TitleProperties(f->winId()), Expected(QStringLiteral("Glimmerwick")));

    TBrowseItem options(nullptr, f);
    TOutputFolder output(nullptr);
    for (TCustomForm* dialog : std::initializer_list<TCustomForm*>{&options, &output}) {
        dialog->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
        EXPECT_EQ(TitleProperties(dialog->winId()), Expected(dialog->Caption()));
        dialog->hide();
    }

    std::string shown;
    QTimer::singleShot(0, qApp, [&] {
        QWidget* box = nullptr;
        (void)QTest::qWaitFor([&] { return (box = QApplication::activeModalWidget()) != nullptr; });
        if (!box)
            return;
        (void)QTest::qWaitForWindowExposed(box);
        shown = TitleProperties(box->winId());
        QTest::keyClick(box, Qt::Key_Escape);
    });
    MessageBox(f, QStringLiteral("确实要删除这个文件吗？"), QStringLiteral("Glimmerwick:"), MB_OKCANCEL | MB_ICONINFORMATION);
    EXPECT_EQ(shown, Expected(QStringLiteral("Glimmerwick:")));
}

} // namespace

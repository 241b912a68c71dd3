// Shared fixture of the application tests: a scratch application folder (so the
// settings file and Tarnwell.dll are the test's own) and the main window's life.
#pragma once

#include "ScratchDir.h"
#include "browser/Mainform.h"
#include "platform/Profile.h"

#include <QDir>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>

class AppTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FScratch.isValid());
        FFolder = FScratch.path();
        SetApplicationFolderForTesting(FFolder.toStdString());
        FIni = SettingsFileName();
        FStartDir = QDir::currentPath();
        IconFrameCounter = 0;
    }

    void TearDown() override
    {
        delete FForm;
        FForm = nullptr;
        SetApplicationFolderForTesting("");
        QDir::setCurrent(FStartDir);
    }

    // Creates the main window as the start-up does: construction, then FormCreate.
    TForm1* CreateMainForm()
    {
        Application->CreateForm(FForm);
        return FForm;
    }

    // Shows the window and waits until it is laid out and exposed.
    void ShowMainForm()
    {
        FForm->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(FForm));
    }

    void CloseMainForm()
    {
        FForm->Close();
    }

    void WriteIni(const std::string& text) const
    {
        std::ofstream(FIni, std::ios::binary) << text;
    }

    std::string ReadIni() const
    {
        std::ifstream in(FIni, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }

    // A folder under the scratch folder, created.
    QString MakeFolder(const QString& relative) const
    {
        QDir(FFolder).mkpath(relative);
        return QDir::cleanPath(FFolder + QLatin1Char('/') + relative);
    }

    ScratchDir FScratch;
    QString FFolder;
    std::string FIni;
    QString FStartDir;
    TForm1* FForm = nullptr;
};

// The whole file as FormClose writes it when every value is `kinds`.
inline std::string AllKeysFile(const std::string& last, const std::string& folder, const std::string& kinds)
{
    std::string text = "[Access]\nLast=" + last + "\n[Init]\nDirectory=" + folder + "\n[View]\n";
    for (const char* key : {"ExeFile", "DllFile", "BplFile", "OcxFile", "IclFile", "CplFile", "ScrFile",
                            "DrvFile", "BmpFile", "JpgFile", "IcoFile"})
        text += std::string(key) + "=" + kinds + "\n";
    return text + "[Extract]\nFormat=1\nSaveType=1\n";
}

// Double-clicks the entry of a folder list that reads `shown`, as a user enters it.
inline void OpenFolderEntry(TDirectoryListBox* list, const QString& shown)
{
    const QList<QListWidgetItem*> found = list->findItems(shown, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << shown.toStdString();
    const QPoint at = list->visualItemRect(found.first()).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

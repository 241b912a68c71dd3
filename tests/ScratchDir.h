// A temporary folder for a test that is removed whole, also when the test left names
// in it that are not UTF-8 (QTemporaryDir cannot remove those and leaves the folder).
#pragma once

#include <QFile>
#include <QTemporaryDir>

#include <filesystem>
#include <system_error>

class ScratchDir : public QTemporaryDir {
public:
    ScratchDir() = default;
    ~ScratchDir()
    {
        if (!isValid())
            return;
        std::error_code ignored;
        std::filesystem::remove_all(QFile::encodeName(path()).toStdString(), ignored);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
};

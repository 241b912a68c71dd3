// TExtractionHost: what the extraction commands need of the window that runs them.
#pragma once

#include "platform/ShellIcons.h"

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>

class QWidget;

class TExtractionHost {
public:
    // Icons written, and icons that could not be read or written, since the last
    // folder command started.
    std::int32_t FExtractedCount = 0;
    std::int32_t FFailedCount = 0;
    // Folder walks requested and not yet ended; the one value worker threads change too.
    std::atomic<std::int32_t> FActiveWalks{0};
    // How icons are obtained; tests replace it to inject failures.
    std::function<HICON(HINSTANCE, const char*, int)> FExtractIcon = ExtractIconA;

    // The window: the owner of the boxes extraction shows; when it is gone, walks stop.
    virtual QWidget* ExtractionWindow() = 0;
    // The folder the window shows.
    virtual QString ShownFolder() const = 0;
    // Whether folder walks take the file of raw name `fileName` now (the listed kinds).
    virtual bool ExtractsFile(const QByteArray& fileName) const = 0;
    // Shows extraction's progress or result in the window's status bar.
    virtual void ShowStatusText(const QString& text) = 0;
    // Shows the list's own status text again.
    virtual void ShowListStatus() = 0;

protected:
    TExtractionHost() = default;
    ~TExtractionHost() = default;
    TExtractionHost(const TExtractionHost&) = delete;
    TExtractionHost& operator=(const TExtractionHost&) = delete;
};

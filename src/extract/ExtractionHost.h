// TExtractionHost: what the extraction commands need of the window that runs them.
#pragma once

#include "extract/ExtractFormat.h"
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
    // Files of the listed kinds the folder walks have looked at since then.
    std::int32_t FProcessedFiles = 0;
    // Set when the user cancels: every running walk stops before its next file.
    bool FCancelRequested = false;
    // Set when the window closes (the program is ending): every running extraction,
    // folder walks and the one of a single file, stops before its next icon.
    bool FQuitting = false;
    // When the walks' progress was last shown (steady clock, ms); it is shown at most
    // every 100 ms.
    std::int64_t FProgressShownAt = 0;
    // The format every extraction command writes.
    TExtractFormat FExtractFormat = TExtractFormat::Icon16;
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

    // Stops every running folder walk at its next file; nothing when none runs.
    void CancelExtraction()
    {
        if (FActiveWalks > 0)
            FCancelRequested = true;
    }
    // Stops every running extraction at its next icon, for good: the window is closing.
    void EndExtractions()
    {
        CancelExtraction();
        FQuitting = true;
    }

protected:
    TExtractionHost() = default;
    ~TExtractionHost() = default;
    TExtractionHost(const TExtractionHost&) = delete;
    TExtractionHost& operator=(const TExtractionHost&) = delete;
};

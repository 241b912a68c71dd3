// TExtractionHost: what the extraction commands need of the window that runs them.
#pragma once

#include "core/OutputFormat.h"

#include <QByteArray>
#include <QString>

class QWidget;

class TExtractionHost {
public:
    // The window: the owner of the boxes extraction shows; when it is gone, walks stop.
    virtual QWidget* ExtractionWindow() = 0;
    // The folder the window shows.
    virtual QString ShownFolder() const = 0;
    // Whether folder walks take the file of raw name `fileName` now (the listed kinds).
    virtual bool ExtractsFile(const QByteArray& fileName) const = 0;
    // The format an extraction command writes when it starts now.
    virtual gw::OutputFormat ExtractFormat() const = 0;

    // A folder command starts: icons written are counted from 0.
    virtual void FolderExtractionStarted() = 0;
    // An icon was written; the icons written since the last folder command started.
    virtual void IconWritten() = 0;
    virtual int IconsWritten() const = 0;
    // `count` folder walks were requested, or ended (or will never run); the walks
    // requested and not ended. Worker threads call these too.
    virtual void WalksStarted(int count) = 0;
    virtual int WalksEnded(int count) = 0;
    virtual int ActiveWalks() const = 0;

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

// File names as text: raw name bytes that need not be UTF-8, kept through QString.
#pragma once

#include <QByteArray>
#include <QString>

class QUrl;

// The text of native path bytes. Valid UTF-8 decodes as usual; each byte that is not
// part of a valid sequence (a GB2312 name from an old disk) becomes the lone
// surrogate U+DC80..U+DCFF, so that EncodeFileName gives the very same bytes back.
// Such text is for file functions; DisplayFileName gives what the user reads.
QString DecodeFileName(const QByteArray& bytes);
QByteArray EncodeFileName(const QString& name);

// The readable form of a name or path from DecodeFileName: a part between separators
// that is not UTF-8 is read in the Chinese code page (GB18030) when it is valid
// there; bytes that cannot be read show as U+FFFD.
QString DisplayFileName(const QString& name);

// The process's current folder as DecodeFileName text; empty when it is gone.
QString CurrentFolder();
// Whether `path` (DecodeFileName text) is a folder, links followed.
bool IsFolder(const QString& path);

// A path that a Qt dialog returns: Qt reads names that are not UTF-8 with U+FFFD in
// them, which names no file. Each such part is matched to the one entry of its folder
// that reads the same that way; parts that match none or several are left as they are.
QString RecoverFileName(const QString& path);

// The path a file: URL names, as raw bytes (a file manager percent-encodes each byte
// of a name that is not UTF-8); empty for any other URL, and for one naming another
// host.
QByteArray LocalFileBytes(const QUrl& url);

// Helpers of the browser tests: files read whole, .ico directories taken apart, and
// the independent tools run from the shell.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>
#include <utility>
#include <vector>

inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The images of an .ico file as its directory gives them: (width, height, colours,
// planes, bits) and the bytes.
inline std::vector<std::pair<QByteArray, QByteArray>> IcoImages(const QByteArray& ico)
{
    std::vector<std::pair<QByteArray, QByteArray>> out;
    auto u16 = [&](int at) { return int(quint8(ico[at])) | int(quint8(ico[at + 1])) << 8; };
    auto u32 = [&](int at) { return qint64(u16(at)) | qint64(u16(at + 2)) << 16; };
    if (ico.size() < 6)
        return out;
    for (int i = 0; i < u16(4) && 6 + 16 * (i + 1) <= ico.size(); ++i) {
        const int e = 6 + 16 * i;
        out.push_back({ico.mid(e, 8), ico.mid(qsizetype(u32(e + 12)), qsizetype(u32(e + 8)))});
    }
    return out;
}

// Runs a shell command (the independent tools) and returns its output.
inline QString ShOut(const QString& command)
{
    QByteArray out;
    if (std::FILE* p = ::popen(command.toLocal8Bit().constData(), "r")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, p)) > 0;)
            out.append(buffer, qsizetype(n));
        ::pclose(p);
    }
    return QString::fromLocal8Bit(out);
}

// Runs a shell command (the independent tools), its output thrown away.
inline void Sh(const QString& command)
{
    if (std::FILE* p = ::popen(command.toLocal8Bit().constData(), "r"))
        ::pclose(p);
}

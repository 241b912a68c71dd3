// File names as text: raw name bytes that need not be UTF-8, kept through QString.
#include "framework/FileNames.h"

#include <QStringList>
#include <QUrl>

#include <dirent.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
#include <optional>

namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool IsEscape(char16_t u)
{
    return u >= 0xDC80 && u <= 0xDCFF;
}

bool HasEscape(const QString& text)
{
    for (QChar c : text)
        if (IsEscape(c.unicode()))
            return true;
    return false;
}

// The length of the valid UTF-8 sequence at `p`, or 0.
int ValidSequence(const unsigned char* p, qsizetype left)
{
    const unsigned c = p[0];
    int length = 0;
    char32_t code = 0;
    char32_t least = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2, code = c & 0x1F, least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3, code = c & 0x0F, least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4, code = c & 0x07, least = 0x10000;
    } else {
        return 0;
    }
    if (left < length)
        return 0;
    for (int k = 1; k < length; ++k) {
        if ((p[k] & 0xC0) != 0x80)
            return 0;
        code = code << 6 | (p[k] & 0x3F);
    }
    // Overlong forms, surrogates and values beyond Unicode are not valid.
    if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

std::optional<QString> FromGb18030(const QByteArray& bytes)
{
    const iconv_t converter = ::iconv_open("UTF-8", "GB18030");
    if (converter == iconv_t(-1))
        return std::nullopt;
    QByteArray out(bytes.size() * 4 + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    std::size_t inLeft = std::size_t(bytes.size());
    char* to = out.data();
    std::size_t outLeft = std::size_t(out.size());
    const std::size_t result = ::iconv(converter, &in, &inLeft, &to, &outLeft);
    ::iconv_close(converter);
    if (result == std::size_t(-1) || inLeft != 0)
        return std::nullopt;
    out.resize(out.size() - qsizetype(outLeft));
    return QString::fromUtf8(out);
}

QString DisplayPart(const QString& part)
{
    if (!HasEscape(part))
        return part;
    if (auto text = FromGb18030(EncodeFileName(part)))
        return *text;
    QString shown = part;
    for (QChar& c : shown)
        if (IsEscape(c.unicode()))
            c = QChar::ReplacementCharacter;
    return shown;
}

} // namespace

QString DecodeFileName(const QByteArray& bytes)
{
    QString text;
    text.reserve(bytes.size());
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    qsizetype i = 0;
    while (i < size) {
        qsizetype run = i;
        // Runs of valid text convert at once.
        while (run < size) {
            if (p[run] < 0x80) {
                ++run;
                continue;
            }
            const int length = ValidSequence(p + run, size - run);
            if (length == 0)
                break;
            run += length;
        }
        if (run > i) {
            text += QString::fromUtf8(bytes.constData() + i, run - i);
            i = run;
        }
        if (i < size) {
            text += QChar(char16_t(kEscapeBase | p[i]));
            ++i;
        }
    }
    return text;
}

QByteArray EncodeFileName(const QString& name)
{
    QByteArray bytes;
    bytes.reserve(name.size());
    qsizetype start = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && QChar::isLowSurrogate(name[i + 1].unicode())) {
            ++i;
            continue;
        }
        if (!IsEscape(u))
            continue;
        bytes += QStringView(name).mid(start, i - start).toUtf8();
        bytes += char(u & 0xFF);
        start = i + 1;
    }
    bytes += QStringView(name).mid(start).toUtf8();
    return bytes;
}

QString DisplayFileName(const QString& name)
{
    if (!HasEscape(name))
        return name;
    QStringList parts = name.split(QLatin1Char('/'));
    for (QString& part : parts)
        part = DisplayPart(part);
    return parts.join(QLatin1Char('/'));
}

QString CurrentFolder()
{
    std::unique_ptr<char, decltype(&std::free)> folder(::getcwd(nullptr, 0), &std::free);
    return folder ? DecodeFileName(QByteArray(folder.get())) : QString();
}

bool IsFolder(const QString& path)
{
    struct stat st {};
    return ::stat(EncodeFileName(path).constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

QString RecoverFileName(const QString& path)
{
    if (!path.contains(QChar::ReplacementCharacter) || !path.startsWith(QLatin1Char('/')))
        return path;
    const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString recovered;
    for (const QString& part : parts) {
        QString next = recovered + QLatin1Char('/') + part;
        if (part.contains(QChar::ReplacementCharacter)) {
            struct stat st {};
            if (::lstat(EncodeFileName(next).constData(), &st) != 0) {
                const QByteArray folder = recovered.isEmpty() ? QByteArray("/") : EncodeFileName(recovered);
                std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.constData()), ::closedir);
                QString match;
                int matches = 0;
                while (dir) {
                    const dirent* entry = ::readdir(dir.get());
                    if (!entry)
                        break;
                    const QByteArray raw(entry->d_name);
                    if (QString::fromUtf8(raw) == part) {
                        match = DecodeFileName(raw);
                        ++matches;
                    }
                }
                if (matches == 1)
                    next = recovered + QLatin1Char('/') + match;
            }
        }
        recovered = next;
    }
    return recovered.isEmpty() ? QStringLiteral("/") : recovered;
}

QByteArray LocalFileBytes(const QUrl& url)
{
    if (!url.isLocalFile())
        return QByteArray();
    const QString host = url.host();
    if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
        return QByteArray();
    return QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1());
}

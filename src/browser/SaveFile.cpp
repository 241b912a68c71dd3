// The file a save command writes: choosing it, asking before replacing, writing it.
#include "browser/SaveFile.h"

#include "core/FileWrite.h"
#include "core/OutputNames.h"
#include "framework/FileNames.h"

#include <unistd.h>

std::optional<QByteArray> TSaveFile::Choose(QWidget* owner, TSaveDialog& dialog,
                                            const std::function<QLatin1String(int)>& extension)
{
    // The dialog must not ask about the name it returns: the file written may be that
    // name with the extension added, and the question belongs to that file.
    const unsigned options = dialog.Options;
    dialog.Options &= ~unsigned(ofOverwritePrompt);
    const bool chosen = dialog.Execute(owner);
    dialog.Options = options;
    if (!chosen)
        return std::nullopt;
    const QLatin1String ext = extension(dialog.FilterIndex);
    QString target = dialog.FileName;
    if (!target.endsWith(ext, Qt::CaseInsensitive))
        target += ext;
    const QByteArray path = EncodeFileName(target);
    if ((options & ofOverwritePrompt) && ::access(path.constData(), F_OK) == 0) {
        const QString question = tr("%1 已存在。\n要替换它吗？").arg(DisplayFileName(target));
        if (MessageBox(owner, question, tr("确认另存为"), MB_YESNO | MB_ICONWARNING) != IDYES)
            return std::nullopt;
    }
    return path;
}

bool TSaveFile::Write(const QByteArray& path, const std::vector<std::uint8_t>& bytes)
{
    return !bytes.empty() && WriteBytes(path, bytes) == 0;
}

int TSaveFile::WriteBytes(const QByteArray& path, const std::vector<std::uint8_t>& bytes)
{
    return FileWrite::Replace(path.toStdString(), bytes.data(), bytes.size());
}

QString TSaveFile::WriteFailure(int err)
{
    return tr("无法写入该文件：%1").arg(QString::fromLocal8Bit(FileWrite::ErrorText(err)));
}

QString TSaveFile::ProposedName(const QByteArray& fileName, int iconNumber)
{
    const std::string name = gw::NumberedName(std::string_view(fileName.constData(), std::size_t(fileName.size())), iconNumber);
    return DisplayFileName(DecodeFileName(QByteArray::fromStdString(name)));
}

void TSaveFile::ReportFailure(QWidget* owner, const QString& why)
{
    const QString text = tr("不支持这种格式的图标文件！");
    MessageBox(owner, why.isEmpty() ? text : text + QLatin1Char('\n') + why, QStringLiteral("Glimmerwick:"),
               MB_OK | MB_ICONINFORMATION);
}

#include "app/TextFiles.h"

#include "app/tools/StagedOutput.h"

#include <QFile>
#include <QTextCodec>

namespace TextFiles {

bool WriteUtf8(const QString& path, const QString& text)
{
    StagedOutput staged(path);
    return staged.CreateWith(text.toUtf8()) && staged.Commit();
}

bool ReadUtf8(const QString& path, qint64 maxBytes, QString& text)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.read(maxBytes + 1);
    if (file.error() != QFileDevice::NoError || data.size() > maxBytes)
        return false;
    QTextCodec::ConverterState state;
    const QString decoded = QTextCodec::codecForName("UTF-8")->toUnicode(data.constData(), data.size(), &state);
    if (state.invalidChars > 0 || state.remainingChars > 0)
        return false;
    text = decoded;
    return true;
}

} // namespace TextFiles

#include "app/support/ExternalReaders.h"

#include <QHash>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>

namespace ExternalReaders {

QByteArray Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QByteArray();
    QByteArray output = process.readAllStandardOutput();
    return output.isNull() ? QByteArray("") : output;
}

bool QpdfAccepts(const QString& path, QString* report)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    const bool ended = process.waitForFinished(30000);
    const QString output = QString::fromUtf8(process.readAll());
    if (report)
        *report = output;
    return ended && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0 &&
           output.contains(QStringLiteral("No syntax or stream encoding errors found")) &&
           !output.contains(QStringLiteral("WARNING"));
}

int PageCount(const QString& path)
{
    const QList<QByteArray> lines = Run(QStringLiteral("pdfinfo"), {path}).split('\n');
    for (const QByteArray& line : lines)
        if (line.startsWith("Pages:"))
            return line.mid(6).trimmed().toInt();
    return -1;
}

QString PageText(const QString& path, int page)
{
    const QString number = QString::number(page);
    return QString::fromUtf8(
               Run(QStringLiteral("pdftotext"), {QStringLiteral("-f"), number, QStringLiteral("-l"), number, path,
                                                 QStringLiteral("-")}))
        .trimmed();
}

QStringList PageTexts(const QString& path)
{
    QStringList pages = QString::fromUtf8(Run(QStringLiteral("pdftotext"), {path, QStringLiteral("-")}))
                            .split(QLatin1Char('\f'));
    pages.removeLast(); // after the last page's form feed
    for (QString& page : pages)
        page = page.trimmed();
    return pages;
}

QStringList DanglingReferences(const QString& path)
{
    // mutool lists the objects in use, each on one line, references unresolved.
    QHash<QString, QString> objects;
    static const QRegularExpression object(QStringLiteral("^(\\d+) \\d+ obj (.*)$|^trailer (.*)$"),
                                           QRegularExpression::MultilineOption);
    QRegularExpressionMatchIterator lines = object.globalMatch(
        QString::fromLatin1(Run(QStringLiteral("mutool"), {QStringLiteral("show"), path, QStringLiteral("grep")})));
    while (lines.hasNext()) {
        const QRegularExpressionMatch line = lines.next();
        objects.insert(line.captured(1).isEmpty() ? QStringLiteral("trailer") : line.captured(1),
                       line.captured(2) + line.captured(3));
    }
    static const QRegularExpression reference(QStringLiteral("(\\d+) \\d+ R\\b"));
    QStringList dangling, due{QStringLiteral("trailer")};
    QSet<QString> seen(due.begin(), due.end());
    while (!due.isEmpty()) {
        QRegularExpressionMatchIterator references = reference.globalMatch(objects.value(due.takeLast()));
        while (references.hasNext()) {
            const QRegularExpressionMatch match = references.next();
            if (!objects.contains(match.captured(1)))
                dangling << match.captured(0);
            else if (!seen.contains(match.captured(1)))
                due << *seen.insert(match.captured(1));
        }
    }
    return dangling;
}

QStringList PageBoxes(const QString& path)
{
    // pdfinfo stops at the last page of the file.
    const QString report = QString::fromUtf8(Run(
        QStringLiteral("pdfinfo"), {QStringLiteral("-box"), QStringLiteral("-f"), QStringLiteral("1"),
                                    QStringLiteral("-l"), QStringLiteral("1000000"), path}));
    static const QRegularExpression pageLine(QStringLiteral("^Page\\s+(\\d+)\\s+(.*)$"));
    QStringList boxes;
    for (const QString& line : report.split(QLatin1Char('\n'))) {
        const QRegularExpressionMatch match = pageLine.match(line);
        const int page = match.hasMatch() ? match.captured(1).toInt() : 0;
        if (page < 1)
            continue;
        while (boxes.size() < page)
            boxes.append(QString());
        boxes[page - 1] += match.captured(2).simplified() + QLatin1Char(';');
    }
    return boxes;
}

} // namespace ExternalReaders

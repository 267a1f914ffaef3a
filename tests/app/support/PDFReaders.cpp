#include "app/support/PDFReaders.h"

#include <QProcess>
#include <QXmlStreamReader>

namespace PDFReaders {

namespace {

// The fields of every line after the dashed line under a table's header.
QList<QStringList> TableRows(const QString& output)
{
    QList<QStringList> rows;
    bool body = false;
    for (const QString& line : output.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QStringLiteral("---")))
            body = true;
        else if (body)
            rows.append(line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
    }
    return rows;
}

} // namespace

QString Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return QString();
    const QString output = QString::fromUtf8(process.readAllStandardOutput());
    return output.isNull() ? QStringLiteral("") : output;
}

bool QpdfAccepts(const QString& path)
{
    const QString output = Run(QStringLiteral("qpdf"), {QStringLiteral("--check"), path});
    return output.contains(QStringLiteral("No syntax or stream encoding errors found")) &&
           !output.contains(QStringLiteral("WARNING"));
}

int PageCount(const QString& path)
{
    const QString output = Run(QStringLiteral("pdfinfo"), {path});
    for (const QString& line : output.split(QLatin1Char('\n')))
        if (line.startsWith(QStringLiteral("Pages:")))
            return line.mid(6).trimmed().toInt();
    return -1;
}

QList<QStringList> FontRows(const QString& path)
{
    return TableRows(Run(QStringLiteral("pdffonts"), {path}));
}

QList<QStringList> ImageRows(const QString& path)
{
    return TableRows(Run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path}));
}

QList<Word> Words(const QString& path)
{
    QList<Word> words;
    QXmlStreamReader xml(Run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox-layout"), path, QStringLiteral("-")}));
    int page = 0;
    while (!xml.atEnd()) {
        if (xml.readNext() != QXmlStreamReader::StartElement)
            continue;
        if (xml.name() == QLatin1String("page")) {
            ++page;
        } else if (xml.name() == QLatin1String("word")) {
            const QXmlStreamAttributes attributes = xml.attributes();
            Word word;
            word.page = page;
            word.xMin = attributes.value(QStringLiteral("xMin")).toDouble();
            word.yMin = attributes.value(QStringLiteral("yMin")).toDouble();
            word.xMax = attributes.value(QStringLiteral("xMax")).toDouble();
            word.yMax = attributes.value(QStringLiteral("yMax")).toDouble();
            word.text = xml.readElementText();
            words.append(word);
        }
    }
    return words;
}

} // namespace PDFReaders

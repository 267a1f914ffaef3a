#include "app/SharedHelpers.h"

#include "app/FontCatalog.h"
#include "pdf/fonts/PDFUsedFont.h"
#include "pdf/writing/PDFWriter.h"

#include <QTextCharFormat>
#include <QTextEdit>
#include <QVector>

#include <cmath>

QSize MeasureTextInTrueTypeFont(const QString& text, const QString& fontName, int size)
{
    return MeasureTextInTrueTypeFont(FontCatalog::Shared(), text, fontName, size);
}

QSize MeasureTextInTrueTypeFont(const FontCatalog& catalog, const QString& text, const QString& fontName, int size)
{
    const QString path = catalog.PathOf(fontName);
    if (path.isEmpty()) {
        qWarning("MeasureTextInTrueTypeFont, no TrueType font named %s in the font folders", qUtf8Printable(fontName));
        return QSize(0, 0);
    }
    // A writer of its own, which never starts a file: it only hands out the font.
    PDFWriter writer;
    PDFUsedFont* font = writer.GetFontForFile(path.toUtf8().toStdString(), 0);
    if (!font) {
        qWarning("MeasureTextInTrueTypeFont, cannot load the font %s", qUtf8Printable(path));
        return QSize(0, 0);
    }
    const TextExtent extent = font->MeasureText(text.toUtf8().toStdString(), size);
    return QSize(static_cast<int>(extent.mWidth), static_cast<int>(extent.mHeight));
}

QString SanitizeFileName(const QString& name)
{
    QString clean = name;
    for (const char* forbidden = kForbiddenFileNameCharacters; *forbidden; ++forbidden)
        clean.remove(QLatin1Char(*forbidden));
    return clean;
}

QString WithReason(const QString& message, const QString& reason)
{
    return reason.isEmpty() ? message : message + QLatin1Char('\n') + reason;
}

QString QuotedExcerpt(const QString& text)
{
    const QVector<uint> characters = text.toUcs4();
    QString excerpt;
    for (int i = 0; i < characters.size() && i < kMaxQuotedCharacters; ++i) {
        const uint character = characters.at(i);
        if (QChar::isPrint(character)) {
            excerpt += QString::fromUcs4(&character, 1);
            continue;
        }
        const int digits = character < 0x100 ? 2 : 4;
        excerpt += (digits == 2 ? QStringLiteral("\\x") : QStringLiteral("\\u")) +
                   QString::number(character, 16).toUpper().rightJustified(digits, QLatin1Char('0'));
    }
    if (characters.size() > kMaxQuotedCharacters)
        excerpt += QStringLiteral("...");
    return excerpt;
}

double RoundHalfUp(double x)
{
    return std::floor(x + 0.5);
}

void SetEditorFontFamily(QTextEdit& editor, const QString& family)
{
    QTextCharFormat format;
    format.setFontFamily(family);
    format.setFontFamilies(QStringList{family});
    editor.mergeCurrentCharFormat(format);
}

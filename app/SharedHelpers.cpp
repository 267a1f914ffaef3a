#include "app/SharedHelpers.h"

#include <QTextBlock>
#include <QTextLayout>

#include <cmath>

QString SanitizeFileName(const QString& name)
{
    QString clean = name;
    for (const char* forbidden = kForbiddenFileNameCharacters; *forbidden; ++forbidden)
        clean.remove(QLatin1Char(*forbidden));
    return clean;
}

double RoundHalfUp(double x)
{
    return std::floor(x + 0.5);
}

QTextLine CurrentTextLine(const QTextCursor& cursor)
{
    const QTextBlock block = cursor.block();
    if (!block.isValid())
        return QTextLine();
    const QTextLayout* layout = block.layout();
    if (!layout)
        return QTextLine();
    return layout->lineForTextPosition(cursor.position() - block.position());
}

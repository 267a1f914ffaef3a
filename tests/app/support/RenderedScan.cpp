#include "app/support/RenderedScan.h"

#include <QFontDatabase>
#include <QHash>
#include <QPainter>

namespace RenderedScan {

namespace {

const int kDotsPerInch = 300;
const int kDotsPerMeter = 11811; // 300 dpi

QString FamilyOf(const QString& fontFile)
{
    static QHash<QString, QString> families;
    if (!families.contains(fontFile)) {
        const int id = QFontDatabase::addApplicationFont(fontFile);
        const QStringList names = id < 0 ? QStringList() : QFontDatabase::applicationFontFamilies(id);
        families.insert(fontFile, names.isEmpty() ? QString() : names.first());
    }
    return families.value(fontFile);
}

} // namespace

QImage Render(const Page& page)
{
    const QString family = FamilyOf(page.fontFile);
    if (family.isEmpty())
        return QImage();
    QFont font(family);
    font.setPixelSize(page.pointSize * kDotsPerInch / 72);
    const QFontMetrics metrics(font);
    const int margin = kDotsPerInch / 2;
    const int lineHeight = metrics.lineSpacing() * 3 / 2;
    const int height = page.heightPixels > 0 ? page.heightPixels : 2 * margin + lineHeight * page.lines.size();

    QImage image(page.widthPixels, height, QImage::Format_RGB32);
    image.setDotsPerMeterX(kDotsPerMeter);
    image.setDotsPerMeterY(kDotsPerMeter);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setFont(font);
    painter.setPen(Qt::black);
    int baseline = margin + metrics.ascent();
    for (const QString& line : page.lines) {
        painter.drawText(margin, baseline, line);
        baseline += lineHeight;
    }
    painter.end();
    return image;
}

QStringList TextLines(const QString& text)
{
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool Write(const QString& path, const Page& page)
{
    const QImage image = Render(page);
    return !image.isNull() && image.save(path, "PNG");
}

} // namespace RenderedScan

#include "app/support/PageRenders.h"

#include "app/support/ExternalReaders.h"

#include <QDir>

#include <algorithm>

namespace PageRenders {

QList<QImage> Render(const QString& pdf, const QString& folder, int dpi)
{
    QDir().mkpath(folder);
    ExternalReaders::Run(QStringLiteral("pdftoppm"),
                         {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-cropbox"),
                          QStringLiteral("-png"), pdf, folder + QStringLiteral("/p")});
    QList<QImage> pages;
    for (const QString& name : QDir(folder).entryList({QStringLiteral("p-*.png")}, QDir::Files, QDir::Name))
        pages.append(QImage(folder + QLatin1Char('/') + name).convertToFormat(QImage::Format_RGB32));
    return pages;
}

QRect Changed(const QImage& before, const QImage& after)
{
    if (before.size() != after.size())
        return after.rect();
    QRect changed;
    for (int y = 0; y < after.height(); ++y) {
        const QRgb* a = reinterpret_cast<const QRgb*>(before.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(after.constScanLine(y));
        for (int x = 0; x < after.width(); ++x)
            if (std::max({qAbs(qRed(a[x]) - qRed(b[x])), qAbs(qGreen(a[x]) - qGreen(b[x])),
                          qAbs(qBlue(a[x]) - qBlue(b[x]))}) > 64)
                changed |= QRect(x, y, 1, 1);
    }
    return changed;
}

} // namespace PageRenders

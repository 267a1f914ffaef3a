#pragma once
// Pages as pdftoppm shows them (cropped, turned), for judging where a mark landed.

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

namespace PageRenders {

// Every page of the file at dpi, in one run; the PNGs go into folder, made when missing.
QList<QImage> Render(const QString& pdf, const QString& folder, int dpi = 72);

// The pixels that differ clearly (anti-aliased fringes aside); null when none.
QRect Changed(const QImage& before, const QImage& after);

} // namespace PageRenders

#pragma once
// Pages as pdftoppm shows them, for judging where a mark landed: each page's shown area (its
// CropBox, turned by its rotation) rendered at a given resolution, and the pixels that two renders
// of one page differ in.

#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

namespace PageRenders {

// Every page of the file as shown, in one run, at dpi (72: a pixel a point); the PNGs go into
// folder, which is made when missing.
QList<QImage> Render(const QString& pdf, const QString& folder, int dpi = 72);

// The pixels that differ clearly (anti-aliased fringes aside); null when none, all of after when
// the sizes differ.
QRect Changed(const QImage& before, const QImage& after);

} // namespace PageRenders

#pragma once
// Scans made by the tests: lines of text drawn with Qt in a DejaVu font (from Debian's
// fonts-dejavu-core, loaded from its file so no font lookup can swap it) in black on a white
// page at 300 dpi, saved as PNG with that resolution. Needs a QGuiApplication.

#include <QImage>
#include <QString>
#include <QStringList>

namespace RenderedScan {

struct Page {
    QStringList lines;
    QString fontFile = QStringLiteral("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf");
    int pointSize = 12;
    int widthPixels = 2480;   // A4 at 300 dpi is 2480 x 3508
    int heightPixels = 0;     // 0: just tall enough for the lines
};

QImage Render(const Page& page);
// The lines of a recognised text that hold something: the engine may part lines by blank ones.
QStringList TextLines(const QString& text);
// Renders and saves the page as PNG; false when the font or the file fails.
bool Write(const QString& path, const Page& page);

} // namespace RenderedScan

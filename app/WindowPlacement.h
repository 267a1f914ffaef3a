#pragma once
// Where the program's windows and dialogs open: whole inside the available area of the screen
// that shows the window they open over, centred over that window where they fit. A dialog with a
// parent opens over its parent's window; every other window over the main window, which
// registers itself. A window larger than the area is shrunk to it, down to its minimum size (a
// window that cannot shrink so far keeps its top-left corner, and so its title bar, on the
// screen). GUI thread only.

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

// The window that others open over when they have no parent (not owned; null: none).
void SetMainWindowForPlacement(QWidget* mainWindow);

// Sizes and moves a hidden window or dialog before it is shown. A dialog that has not been sized
// yet takes its size hint first.
void PlaceWindow(QWidget* window);
// Shows a window, placing it first when it is hidden; a shown one stays where the user put it.
void ShowPlaced(QWidget* window);

// The arithmetic of PlaceWindow: the window's geometry (without its frame) for a window of
// `size`, at least `minimum`, with frame `margins`, over the frame rectangle `over` (invalid:
// the middle of `area`), inside the available `area`.
QRect PlacedGeometry(const QSize& size, const QSize& minimum, const QMargins& margins, const QRect& over,
                     const QRect& area);

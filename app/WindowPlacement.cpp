#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QWidget>

namespace {

QPointer<QWidget> sMainWindow;

// The frame around a window as the platform last drew it; none for a window never shown.
QMargins FrameMargins(const QWidget* window)
{
    const QRect frame = window->frameGeometry();
    const QRect inner = window->geometry();
    return QMargins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                    frame.bottom() - inner.bottom());
}

} // namespace

void SetMainWindowForPlacement(QWidget* mainWindow)
{
    sMainWindow = mainWindow;
}

QRect PlacedGeometry(const QSize& size, const QSize& minimum, const QMargins& margins, const QRect& over,
                     const QRect& area)
{
    const QSize room = area.size().shrunkBy(margins);
    QRect frame(QPoint(0, 0), size.boundedTo(room).expandedTo(minimum).grownBy(margins));
    frame.moveCenter(over.isValid() ? over.center() : area.center());
    if (frame.right() > area.right())
        frame.moveRight(area.right());
    if (frame.bottom() > area.bottom())
        frame.moveBottom(area.bottom());
    // Last, so that a window too large for the area still shows its title bar.
    if (frame.left() < area.left())
        frame.moveLeft(area.left());
    if (frame.top() < area.top())
        frame.moveTop(area.top());
    return frame.marginsRemoved(margins);
}

void PlaceWindow(QWidget* window)
{
    if (!window)
        return;
    QWidget* over = window->parentWidget() ? window->parentWidget()->window() : sMainWindow.data();
    if (over == window)
        over = nullptr;
    const QWidget* shown = over ? over : sMainWindow.data();
    QScreen* screen = shown ? shown->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    if (!window->testAttribute(Qt::WA_Resized))
        window->adjustSize();
    // A window that was never shown has no frame yet: it will get one like the window it opens over.
    QMargins margins = FrameMargins(window);
    if (margins.isNull() && shown)
        margins = FrameMargins(shown);
    const QSize minimum = window->minimumSizeHint().expandedTo(window->minimumSize());
    const QRect overFrame = over && over->isVisible() ? over->frameGeometry() : QRect();
    const QRect geometry = PlacedGeometry(window->size(), minimum, margins, overFrame, screen->availableGeometry());
    window->resize(geometry.size());
    // The position of a window is that of its frame.
    window->move(geometry.topLeft() - QPoint(margins.left(), margins.top()));
}

void ShowPlaced(QWidget* window)
{
    if (!window->isVisible())
        PlaceWindow(window);
    window->show();
}

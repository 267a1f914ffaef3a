#pragma once
// The unsaved-changes marker: a "*" at the end of a window's title while its settings differ
// from the saved project. A window counts as changed exactly when its title holds a "*".

#include <functional>

class QWidget;

// true appends "*" unless the title already holds one; false removes every "*".
void SetModifiedMarker(QWidget* window, bool modified);

// Whether the window's title holds the marker.
bool HasModifiedMarker(const QWidget* window);

// Before a window that holds the marker discards what it holds (close, New, Load): "You have
// unsaved changes. Do you want to save your settings?" with Yes, No and Cancel. Yes runs `save`,
// which answers whether the project was written. True when the action may go on: no marker, No,
// or a save that wrote the project. A save dialog that was cancelled, or a save that failed,
// keeps the window with what it holds.
bool MayDiscardUnsavedChanges(QWidget* window, const std::function<bool()>& save);

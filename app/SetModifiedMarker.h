#pragma once
// The unsaved-changes marker: a "*" at the end of a window's title while its settings differ
// from the saved project. A window counts as changed exactly when its title holds a "*".

class QWidget;

// true appends "*" unless the title already holds one; false removes every "*".
void SetModifiedMarker(QWidget* window, bool modified);

// Whether the window's title holds the marker.
bool HasModifiedMarker(const QWidget* window);

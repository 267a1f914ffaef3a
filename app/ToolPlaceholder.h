#pragma once
// The stand-in form of a tool window whose own form is still to come: the tool's title and a
// line saying that the tool is not available yet. Each tool window drops it when it gets its
// real form.

#include <QString>

class QMainWindow;

void SetUpToolPlaceholder(QMainWindow* window, const QString& title);

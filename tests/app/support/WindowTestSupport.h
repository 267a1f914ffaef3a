#pragma once
// What the file-tool window tests share: finding a widget of the form by its object name (a
// missing one ends the test program, as a renamed widget should), the files a folder holds
// (hidden temporary files included, so that none left behind goes unseen), and prompts whose
// overwrite question can act before it answers (as a user who closes the window meanwhile).

#include "app/support/ScriptedPrompts.h"

#include <QDir>
#include <QStringList>
#include <QWidget>

#include <functional>

template <class Widget>
Widget* Find(QWidget& window, const char* name)
{
    auto* widget = window.findChild<Widget*>(QLatin1String(name));
    if (!widget)
        qFatal("no %s", name);
    return widget;
}

inline QStringList Files(const QString& dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

class HookedPrompts : public ScriptedPrompts {
public:
    std::function<void()> beforeOverwriteAnswer;
    int AskOverwrite(QWidget* parent, const QString& filePath) override
    {
        if (beforeOverwriteAnswer)
            beforeOverwriteAnswer();
        return ScriptedPrompts::AskOverwrite(parent, filePath);
    }
};

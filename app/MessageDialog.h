#pragma once
// The program's message box with one OK button: the icon, the text and the button as a message
// box shows them, but with the text in an area that scrolls. A message box takes the height of
// its whole text, so one that lists hundreds of files grows past the screen with its button out
// of reach; this one can be shrunk to the screen (PlaceWindow) and keeps its button below the
// text. The text is shown exactly as given, as plain text, so that a file name that looks like
// markup is not read as such.

#include <QDialog>
#include <QMessageBox>

class QLabel;
class QPushButton;

class MessageDialog : public QDialog {
    Q_OBJECT

public:
    MessageDialog(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* parent = nullptr);

    QString Text() const;
    QPushButton* OkButton() const { return ok; }

private:
    QLabel* label = nullptr;
    QPushButton* ok = nullptr;
};

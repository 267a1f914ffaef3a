#include "app/MessageDialog.h"

#include <QDialogButtonBox>
#include <QEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>

namespace {

// Asks for room for the whole text, as wide as its longest line up to about 80 characters, where
// the text wraps (and for a vertical scroll bar, so that a text that does not fit scrolls down
// without scrolling sideways too, and the other way round); the window's placement then shrinks
// it to the screen. The wrapped text is laid out here: the scroll area's own layout of a widget
// whose height depends on its width leaves it as wide as the view without the vertical bar, and
// so adds a horizontal bar that is never needed.
class TextArea : public QScrollArea {
public:
    TextArea(QLabel* text, QWidget* parent) : QScrollArea(parent), label(text)
    {
        setWidget(text); // owns it
    }

    QSize sizeHint() const override
    {
        const QFontMetrics metrics = label->fontMetrics();
        const int longestLine =
            metrics.boundingRect(QRect(0, 0, 1 << 20, 1 << 20), Qt::TextExpandTabs, label->text()).width();
        const int wrapped = 80 * metrics.averageCharWidth();
        const int longestWord = label->minimumSizeHint().width();
        const int width = qMax(qMin(longestLine, wrapped), longestWord);
        const int frame = 2 * frameWidth();
        // A word longer than a wrapped line may not fit the screen: room for the horizontal bar
        // too.
        const int sideways = longestWord > wrapped ? horizontalScrollBar()->sizeHint().height() : 0;
        return QSize(width + frame + verticalScrollBar()->sizeHint().width(),
                     label->heightForWidth(width) + frame + sideways);
    }

    // A short text needs no room for scroll bars.
    QSize minimumSizeHint() const override { return QScrollArea::minimumSizeHint().boundedTo(sizeHint()); }

protected:
    bool viewportEvent(QEvent* event) override
    {
        if (event->type() == QEvent::Resize)
            FitText();
        return QScrollArea::viewportEvent(event);
    }

private:
    // The text as wide as the view (beside the vertical bar when it scrolls down); a word wider
    // than that still scrolls sideways. Once the bars settle, the text's size no longer changes.
    void FitText()
    {
        const QSize view = maximumViewportSize();
        const int narrowest = label->minimumSizeHint().width();
        int width = qMax(view.width(), narrowest);
        if (label->heightForWidth(width) > view.height()) {
            const int bar = verticalScrollBar()->isVisible() ? view.width() - viewport()->width()
                                                             : verticalScrollBar()->sizeHint().width();
            width = qMax(view.width() - bar, narrowest);
        }
        label->resize(width, label->heightForWidth(width));
    }

    QLabel* label;
};

} // namespace

MessageDialog::MessageDialog(QMessageBox::Icon icon, const QString& title, const QString& text, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("MessageDialog"));
    setWindowTitle(title);

    auto* iconLabel = new QLabel(this);
    iconLabel->setObjectName(QStringLiteral("labelIcon"));
    iconLabel->setPixmap(QMessageBox::standardIcon(icon));

    label = new QLabel(text);
    label->setObjectName(QStringLiteral("labelText"));
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setTextInteractionFlags(
        Qt::TextInteractionFlags(style()->styleHint(QStyle::SH_MessageBox_TextInteractionFlags, nullptr, this)));

    auto* area = new TextArea(label, this);
    area->setObjectName(QStringLiteral("scrollText"));
    area->setFrameShape(QFrame::NoFrame);
    area->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->setCenterButtons(style()->styleHint(QStyle::SH_MessageBox_CenterButtons, nullptr, this));
    ok = buttons->button(QDialogButtonBox::Ok);
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->addWidget(iconLabel, 0, 0, Qt::AlignTop);
    grid->addWidget(area, 0, 1);
    grid->addWidget(buttons, 1, 0, 1, 2);
    ok->setFocus();
}

QString MessageDialog::Text() const
{
    return label->text();
}

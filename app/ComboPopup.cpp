#include "app/ComboPopup.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QStyleOptionViewItem>

void FitPopupToItems(QComboBox* combo)
{
    QAbstractItemView* view = combo->view();
    QStyleOptionViewItem option;
    option.initFrom(view);
    option.font = combo->font();
    option.fontMetrics = combo->fontMetrics();
    option.decorationSize = view->iconSize();
    int widest = 0;
    for (int row = 0; row < combo->count(); ++row) {
        const QModelIndex index = combo->model()->index(row, combo->modelColumn(), combo->rootModelIndex());
        // A menu row is sized from its text's extent, as a menu sizes its items.
        option.rect = QRect(0, 0, combo->fontMetrics().horizontalAdvance(combo->itemText(row)),
                            combo->fontMetrics().height());
        widest = qMax(widest, view->itemDelegate(index)->sizeHint(option, index).width());
    }
    view->setMinimumWidth(widest + 2 * view->frameWidth());
}

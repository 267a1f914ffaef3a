// The one shared helper that needs the GUI library, in a file of its own: programs that use only
// the engines then do not load that library.
#include "app/SharedHelpers.h"

#include <QTextBlock>
#include <QTextLayout>

QTextLine CurrentTextLine(const QTextCursor& cursor)
{
    const QTextBlock block = cursor.block();
    if (!block.isValid())
        return QTextLine();
    const QTextLayout* layout = block.layout();
    if (!layout)
        return QTextLine();
    return layout->lineForTextPosition(cursor.position() - block.position());
}

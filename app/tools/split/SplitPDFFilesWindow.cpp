#include "app/tools/split/SplitPDFFilesWindow.h"

#include "app/AppIdentity.h"
#include "app/ToolPlaceholder.h"

SplitPDFFilesWindow::SplitPDFFilesWindow(QWidget* parent) : QMainWindow(parent), identity(AppIdentity::Instance())
{
    SetUpToolPlaceholder(this, tr("Split PDF Documents"));
}

void SplitPDFFilesWindow::OpenWindow()
{
    show();
}

#include "app/tools/merge/MergePDFFilesWindow.h"

#include "app/AppIdentity.h"
#include "app/ToolPlaceholder.h"

MergePDFFilesWindow::MergePDFFilesWindow(QWidget* parent) : QMainWindow(parent), identity(AppIdentity::Instance())
{
    SetUpToolPlaceholder(this, tr("Merge PDF Documents"));
}

void MergePDFFilesWindow::OpenWindow()
{
    show();
}

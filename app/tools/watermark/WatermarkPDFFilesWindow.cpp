#include "app/tools/watermark/WatermarkPDFFilesWindow.h"

#include "app/AppIdentity.h"
#include "app/ToolPlaceholder.h"

WatermarkPDFFilesWindow::WatermarkPDFFilesWindow(QWidget* parent) : QMainWindow(parent), identity(AppIdentity::Instance())
{
    SetUpToolPlaceholder(this, tr("Watermark PDF Documents"));
}

void WatermarkPDFFilesWindow::OpenWindow()
{
    show();
}

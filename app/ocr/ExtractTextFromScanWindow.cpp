#include "app/ocr/ExtractTextFromScanWindow.h"

#include "app/AppIdentity.h"
#include "app/ToolPlaceholder.h"

ExtractTextFromScanWindow::ExtractTextFromScanWindow(QWidget* parent) : QMainWindow(parent), identity(AppIdentity::Instance())
{
    SetUpToolPlaceholder(this, tr("Extract Text from Scanned Document"));
}

void ExtractTextFromScanWindow::OpenWindow()
{
    show();
}

#include "app/tools/crop/CropPDFFilesWindow.h"

#include "app/AppIdentity.h"
#include "app/ToolPlaceholder.h"

CropPDFFilesWindow::CropPDFFilesWindow(QWidget* parent) : QMainWindow(parent), identity(AppIdentity::Instance())
{
    SetUpToolPlaceholder(this, tr("Crop PDF Documents"));
}

void CropPDFFilesWindow::OpenWindow()
{
    show();
}

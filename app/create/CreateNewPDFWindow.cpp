#include "app/create/CreateNewPDFWindow.h"

#include "app/AppIdentity.h"
#include "app/ToolPlaceholder.h"

CreateNewPDFWindow::CreateNewPDFWindow(QWidget* parent) : QMainWindow(parent), identity(AppIdentity::Instance())
{
    SetUpToolPlaceholder(this, tr("Create New PDF Document"));
}

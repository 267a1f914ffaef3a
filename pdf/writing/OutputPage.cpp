#include "pdf/writing/OutputPage.h"

#include "pdf/writing/PageContentContext.h"

OutputPage::OutputPage() = default;

OutputPage::~OutputPage() = default;

void OutputPage::SetAssociatedContentContext(std::unique_ptr<PageContentContext> inContentContext)
{
    mContentContext = std::move(inContentContext);
}

std::unique_ptr<PageContentContext> OutputPage::ReleaseAssociatedContentContext()
{
    return std::move(mContentContext);
}

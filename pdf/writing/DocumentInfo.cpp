#include "pdf/writing/DocumentInfo.h"

bool DocumentInfo::IsEmpty() const
{
    return Title.empty() && Author.empty() && Subject.empty() && Keywords.empty() && Creator.empty() &&
           Producer.empty() && CreationDate.IsNull() && ModDate.IsNull() && Trapped == EInfoTrappedUnknown &&
           AdditionalInfoEntries.empty();
}

#include "pdf/writing/ResourceName.h"

std::string ResourceName::Unique(const std::string& inPreferred, const std::string& inFallbackPrefix,
                                 std::set<std::string>& ioTaken, unsigned long& ioCounter)
{
    std::string name = inPreferred;
    // Each try passes over one taken name at most, so the loop ends within ioTaken's size.
    while (name.size() > kMaxLength || ioTaken.count(name) != 0)
        name = inFallbackPrefix + std::to_string(ioCounter++);
    ioTaken.insert(name);
    return name;
}

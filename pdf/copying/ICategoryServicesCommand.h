#pragma once
// One resource category of a form being filled from a merged page: its key in a resources
// dictionary, and the name the form's resources give an object of that category.

#include "pdf/objects/ObjectIDType.h"

#include <string>

class ICategoryServicesCommand {
public:
    virtual ~ICategoryServicesCommand() = default;
    virtual std::string CategoryKey() = 0;
    // The object keeps the name it has in this category, else gets the next new one.
    virtual std::string RegisterObjectID(ObjectIDType inObjectID) = 0;
};

#pragma once
// The "ExtGState" category of a form's resources (names from ResourcesDictionary::ExtGStateNameForObject).

#include "pdf/copying/ResourceCategoryServices.h"

class ExtGStateCategoryServices : public ResourceCategoryServices {
public:
    explicit ExtGStateCategoryServices(ResourcesDictionary* inResources)
        : ResourceCategoryServices(inResources, "ExtGState", &ResourcesDictionary::ExtGStateNameForObject)
    {
    }
};

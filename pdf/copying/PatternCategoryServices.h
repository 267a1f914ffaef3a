#pragma once
// The "Pattern" category of a form's resources (names from ResourcesDictionary::PatternNameForObject).

#include "pdf/copying/ResourceCategoryServices.h"

class PatternCategoryServices : public ResourceCategoryServices {
public:
    explicit PatternCategoryServices(ResourcesDictionary* inResources)
        : ResourceCategoryServices(inResources, "Pattern", &ResourcesDictionary::PatternNameForObject)
    {
    }
};

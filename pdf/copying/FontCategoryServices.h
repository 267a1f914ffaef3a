#pragma once
// The "Font" category of a form's resources (names from ResourcesDictionary::FontNameForObject).

#include "pdf/copying/ResourceCategoryServices.h"

class FontCategoryServices : public ResourceCategoryServices {
public:
    explicit FontCategoryServices(ResourcesDictionary* inResources)
        : ResourceCategoryServices(inResources, "Font", &ResourcesDictionary::FontNameForObject)
    {
    }
};

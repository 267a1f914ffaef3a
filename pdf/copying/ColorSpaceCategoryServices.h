#pragma once
// The "ColorSpace" category of a form's resources (names from ResourcesDictionary::ColorSpaceNameForObject).

#include "pdf/copying/ResourceCategoryServices.h"

class ColorSpaceCategoryServices : public ResourceCategoryServices {
public:
    explicit ColorSpaceCategoryServices(ResourcesDictionary* inResources)
        : ResourceCategoryServices(inResources, "ColorSpace", &ResourcesDictionary::ColorSpaceNameForObject)
    {
    }
};

#pragma once
// The "Shading" category of a form's resources (names from ResourcesDictionary::ShadingNameForObject).

#include "pdf/copying/ResourceCategoryServices.h"

class ShadingCategoryServices : public ResourceCategoryServices {
public:
    explicit ShadingCategoryServices(ResourcesDictionary* inResources)
        : ResourceCategoryServices(inResources, "Shading", &ResourcesDictionary::ShadingNameForObject)
    {
    }
};

#pragma once
// The "Properties" category of a form's resources (names from ResourcesDictionary::PropertiesNameForObject).

#include "pdf/copying/ResourceCategoryServices.h"

class PropertyCategoryServices : public ResourceCategoryServices {
public:
    explicit PropertyCategoryServices(ResourcesDictionary* inResources)
        : ResourceCategoryServices(inResources, "Properties", &ResourcesDictionary::PropertiesNameForObject)
    {
    }
};

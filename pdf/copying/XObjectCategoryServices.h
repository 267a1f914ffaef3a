#pragma once
// The "XObject" category of a form's resources (names from ResourcesDictionary::XObjectNameForObject).

#include "pdf/copying/ResourceCategoryServices.h"

class XObjectCategoryServices : public ResourceCategoryServices {
public:
    explicit XObjectCategoryServices(ResourcesDictionary* inResources)
        : ResourceCategoryServices(inResources, "XObject", &ResourcesDictionary::XObjectNameForObject)
    {
    }
};

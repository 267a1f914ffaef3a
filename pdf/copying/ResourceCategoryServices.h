#pragma once
// A category of a form's resources dictionary (not owned, must outlive this object): the key and
// the naming operation of the dictionary that the category uses. The named categories derive
// from it.

#include "pdf/copying/ICategoryServicesCommand.h"
#include "pdf/writing/ResourcesDictionary.h"

class ResourceCategoryServices : public ICategoryServicesCommand {
public:
    typedef std::string (ResourcesDictionary::*NameForObject)(ObjectIDType);

    ResourceCategoryServices(ResourcesDictionary* inResources, const char* inCategoryKey, NameForObject inNaming)
        : mResources(inResources), mCategoryKey(inCategoryKey), mNaming(inNaming)
    {
    }
    std::string CategoryKey() override { return mCategoryKey; }
    std::string RegisterObjectID(ObjectIDType inObjectID) override { return (mResources->*mNaming)(inObjectID); }

private:
    ResourcesDictionary* mResources;
    const char* mCategoryKey;
    NameForObject mNaming;
};

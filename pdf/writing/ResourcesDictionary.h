#pragma once
// The resource table of one page or form XObject being written: the procedure sets its content
// needs, and per category which object goes under which resource name. Names are the category's
// prefix and a counter of the naming operation ("FN1", "Fm2"); forms, images and other XObjects
// count separately although they share the XObject category. Object id 0 gets a fresh name that
// is not stored (for entries that a resource-writing task writes itself).

#include "pdf/objects/ObjectIDType.h"
#include "pdf/writing/ImageXObject.h"

#include <map>
#include <set>
#include <string>

class ResourcesDictionary {
public:
    // The categories in the order their dictionaries are written.
    enum ECategory { eXObject = 0, eExtGState, eFont, eColorSpace, ePattern, eShading, eProperties, eCategoryCount };
    typedef std::map<ObjectIDType, std::string> ObjectIDToNameMap;

    // The category's key in a resources dictionary ("XObject", "ExtGState" ...).
    static const char* CategoryKey(ECategory inCategory);
    // The category of a key; false for any other text.
    static bool CategoryOfKey(const std::string& inKey, ECategory& outCategory);

    // "PDF", "Text", "ImageB", "ImageC" or "ImageI"; a name already there is not added again.
    void AddProcSetName(const std::string& inName);

    std::string FormXObjectNameForObject(ObjectIDType inObjectID);      // "Fm"
    std::string ImageXObjectNameForObject(const ImageXObject& inImage); // "Im", and the image's procedure sets
    std::string XObjectNameForObject(ObjectIDType inObjectID);          // "XO"
    std::string ExtGStateNameForObject(ObjectIDType inObjectID);        // "GS"
    std::string FontNameForObject(ObjectIDType inObjectID);             // "FN"
    std::string ColorSpaceNameForObject(ObjectIDType inObjectID);       // "CS"
    std::string PatternNameForObject(ObjectIDType inObjectID);          // "PT"
    std::string PropertiesNameForObject(ObjectIDType inObjectID);       // "PP"
    std::string ShadingNameForObject(ObjectIDType inObjectID);          // "SH"
    // A fresh, unstored name of the category (as for object id 0).
    std::string NewUnmappedName(ECategory inCategory);

    const std::set<std::string>& GetProcSets() const { return mProcSets; }
    const ObjectIDToNameMap& GetCategory(ECategory inCategory) const { return mCategories[inCategory]; }

private:
    // One naming operation: its own counter and prefix, and the category map it fills.
    enum ENaming {
        eNamingForm = 0,
        eNamingImage,
        eNamingXObject,
        eNamingExtGState,
        eNamingFont,
        eNamingColorSpace,
        eNamingPattern,
        eNamingProperties,
        eNamingShading,
        eNamingCount
    };
    std::string NameForObject(ENaming inNaming, ObjectIDType inObjectID);
    std::string NewName(ENaming inNaming);

    std::set<std::string> mProcSets;
    ObjectIDToNameMap mCategories[eCategoryCount];
    unsigned long mCounters[eNamingCount] = {};
};

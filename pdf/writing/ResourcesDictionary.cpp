#include "pdf/writing/ResourcesDictionary.h"

namespace {

const char* const scCategoryKeys[ResourcesDictionary::eCategoryCount] = {
    "XObject", "ExtGState", "Font", "ColorSpace", "Pattern", "Shading", "Properties"};

struct Naming {
    const char* mPrefix;
    ResourcesDictionary::ECategory mCategory;
};

// In the order of ENaming.
const Naming scNamings[] = {{"Fm", ResourcesDictionary::eXObject}, {"Im", ResourcesDictionary::eXObject},
                            {"XO", ResourcesDictionary::eXObject}, {"GS", ResourcesDictionary::eExtGState},
                            {"FN", ResourcesDictionary::eFont},    {"CS", ResourcesDictionary::eColorSpace},
                            {"PT", ResourcesDictionary::ePattern}, {"PP", ResourcesDictionary::eProperties},
                            {"SH", ResourcesDictionary::eShading}};

} // namespace

const char* ResourcesDictionary::CategoryKey(ECategory inCategory)
{
    return scCategoryKeys[inCategory];
}

bool ResourcesDictionary::CategoryOfKey(const std::string& inKey, ECategory& outCategory)
{
    for (int i = 0; i < eCategoryCount; ++i) {
        if (inKey == scCategoryKeys[i]) {
            outCategory = static_cast<ECategory>(i);
            return true;
        }
    }
    return false;
}

void ResourcesDictionary::AddProcSetName(const std::string& inName)
{
    mProcSets.insert(inName);
}

std::string ResourcesDictionary::NewName(ENaming inNaming)
{
    return scNamings[inNaming].mPrefix + std::to_string(++mCounters[inNaming]);
}

std::string ResourcesDictionary::NameForObject(ENaming inNaming, ObjectIDType inObjectID)
{
    if (inObjectID == 0)
        return NewName(inNaming);
    ObjectIDToNameMap& category = mCategories[scNamings[inNaming].mCategory];
    auto found = category.find(inObjectID);
    if (found != category.end())
        return found->second;
    std::string name = NewName(inNaming);
    category.emplace(inObjectID, name);
    return name;
}

std::string ResourcesDictionary::FormXObjectNameForObject(ObjectIDType inObjectID)
{
    return NameForObject(eNamingForm, inObjectID);
}

std::string ResourcesDictionary::ImageXObjectNameForObject(const ImageXObject& inImage)
{
    bool isNew = mCategories[eXObject].find(inImage.mImageObjectID) == mCategories[eXObject].end();
    std::string name = NameForObject(eNamingImage, inImage.mImageObjectID);
    if (isNew) {
        for (const std::string& procSet : inImage.mRequiredProcsetResourceNames)
            AddProcSetName(procSet);
    }
    return name;
}

std::string ResourcesDictionary::XObjectNameForObject(ObjectIDType inObjectID)
{
    return NameForObject(eNamingXObject, inObjectID);
}

std::string ResourcesDictionary::ExtGStateNameForObject(ObjectIDType inObjectID)
{
    return NameForObject(eNamingExtGState, inObjectID);
}

std::string ResourcesDictionary::FontNameForObject(ObjectIDType inObjectID)
{
    return NameForObject(eNamingFont, inObjectID);
}

std::string ResourcesDictionary::ColorSpaceNameForObject(ObjectIDType inObjectID)
{
    return NameForObject(eNamingColorSpace, inObjectID);
}

std::string ResourcesDictionary::PatternNameForObject(ObjectIDType inObjectID)
{
    return NameForObject(eNamingPattern, inObjectID);
}

std::string ResourcesDictionary::PropertiesNameForObject(ObjectIDType inObjectID)
{
    return NameForObject(eNamingProperties, inObjectID);
}

std::string ResourcesDictionary::ShadingNameForObject(ObjectIDType inObjectID)
{
    return NameForObject(eNamingShading, inObjectID);
}

std::string ResourcesDictionary::NewUnmappedName(ECategory inCategory)
{
    // The general naming of each category: XObjects without a kind get "XO".
    static const ENaming scCategoryNamings[eCategoryCount] = {eNamingXObject,    eNamingExtGState, eNamingFont,
                                                              eNamingColorSpace, eNamingPattern,   eNamingShading,
                                                              eNamingProperties};
    return NewName(scCategoryNamings[inCategory]);
}

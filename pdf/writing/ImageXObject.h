#pragma once
// An image XObject written by an image handler: its object id and the procedure set names
// ("ImageB", "ImageC", "ImageI") that content drawing it needs.

#include "pdf/objects/ObjectIDType.h"

#include <string>
#include <vector>

struct ImageXObject {
    ObjectIDType mImageObjectID = 0;
    std::vector<std::string> mRequiredProcsetResourceNames;
};

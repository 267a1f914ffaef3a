#pragma once
// Which page of a TIFF file a conversion takes (0-based); everything else keeps its defaults.

struct TIFFImageOptions {
    unsigned int mPageIndex = 0;
};

#pragma once
// Every kind of parsed value, for code that handles several of them.

#include "pdf/objects/PDFArray.h"
#include "pdf/objects/PDFBoolean.h"
#include "pdf/objects/PDFDictionary.h"
#include "pdf/objects/PDFHexString.h"
#include "pdf/objects/PDFIndirectObjectReference.h"
#include "pdf/objects/PDFInteger.h"
#include "pdf/objects/PDFLiteralString.h"
#include "pdf/objects/PDFName.h"
#include "pdf/objects/PDFNull.h"
#include "pdf/objects/PDFObjectCastPtr.h"
#include "pdf/objects/PDFReal.h"
#include "pdf/objects/PDFStreamInput.h"
#include "pdf/objects/PDFSymbol.h"
#include "pdf/objects/RefCountPtr.h"

#pragma once
// Reads everything a parsed document offers: every listed object, the decoded data of every
// stream, every page and its media box. Shared by the parser tests, the fuzz target and the
// parser benchmark; the limits keep a hostile file from turning a walk into a long run.

#include "pdf/io/IByteReader.h"
#include "pdf/objects/PDFObjects.h"
#include "pdf/parsing/PDFPageInput.h"
#include "pdf/parsing/PDFParser.h"

#include <cstdint>
#include <memory>
#include <vector>

struct ParserWalkLimits {
    uint32_t maxObjects = UINT32_MAX;
    unsigned long long maxStreamBytes = ~0ULL; // per stream
    uint32_t maxPages = UINT32_MAX;
};

struct ParserWalkResult {
    uint32_t listedObjects = 0;   // entries in use, in the file or in object streams
    uint32_t failedObjects = 0;   // listed but not readable
    uint32_t streams = 0;
    uint32_t failedStreams = 0;   // no reader could be built
    unsigned long long streamBytes = 0;
    std::vector<PDFRectangle> mediaBoxes;
};

inline ParserWalkResult WalkParsedDocument(PDFParser& inParser, const ParserWalkLimits& inLimits = ParserWalkLimits())
{
    ParserWalkResult result;
    std::vector<Byte> buffer(64 * 1024);
    uint32_t size = inParser.GetXrefSize();
    for (uint32_t id = 1; id < size && result.listedObjects < inLimits.maxObjects; ++id) {
        EXrefEntryType type = inParser.GetXrefEntry(id)->mType;
        if (type != eXrefEntryExisting && type != eXrefEntryStreamObject)
            continue;
        ++result.listedObjects;
        RefCountPtr<PDFObject> object(inParser.ParseObjectByID(id));
        if (!object) {
            ++result.failedObjects;
            continue;
        }
        if (object->GetType() != PDFObject::ePDFObjectStream)
            continue;
        ++result.streams;
        PDFStreamInput* stream = static_cast<PDFStreamInput*>(object.GetPtr());
        inParser.GetParserStream()->SeekFromStart(stream->GetStreamContentStart());
        std::unique_ptr<IByteReader> reader(inParser.CreateInputStreamReader(stream));
        if (!reader) {
            ++result.failedStreams;
            continue;
        }
        unsigned long long read = 0;
        while (read < inLimits.maxStreamBytes && reader->HasMoreBytes()) {
            size_t got = reader->Read(buffer.data(), buffer.size());
            if (got == 0)
                break;
            read += got;
        }
        result.streamBytes += read;
    }
    for (uint32_t i = 0; i < inParser.GetPageCount() && i < inLimits.maxPages; ++i) {
        PDFPageInput page(&inParser, inParser.ParsePage(i));
        result.mediaBoxes.push_back(page.GetMediaBox());
    }
    return result;
}

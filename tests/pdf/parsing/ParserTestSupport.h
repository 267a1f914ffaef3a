#pragma once
// Helpers of the parser tests: a writer of small uncompressed PDF files (so that damaged
// variants can be built byte by byte) and parsing bytes held in memory.

#include "pdf/io/InputByteArrayStream.h"
#include "pdf/parsing/PDFParser.h"
#include "pdf/parsing/PDFRectangle.h"

#include "tests/pdf/support/ExternalReaders.h"
#include "tests/pdf/support/TestDirectory.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace parsertest {

using testsupport::ReadFile;
using testsupport::TestDirectory;
using testsupport::WriteFile;

using testsupport::PdfinfoMediaBoxes;
using testsupport::Qpdf;
using testsupport::QpdfPageCount;
using testsupport::Quote;
using testsupport::Run;

// A small PDF written object by object, with a correct classic cross-reference table.
struct PdfBuilder {
    std::string header = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<std::string> objects; // the body of object i + 1
    std::string trailerExtra;
    // Filled by Build: the byte position of each object (index = id) and of the table.
    mutable std::vector<long long> offsets;
    mutable long long xrefOffset = 0;

    int Add(const std::string& inBody)
    {
        objects.push_back(inBody);
        return static_cast<int>(objects.size());
    }

    std::string BuildBody() const
    {
        std::string out = header;
        offsets.assign(objects.size() + 1, 0);
        for (size_t i = 0; i < objects.size(); ++i) {
            offsets[i + 1] = static_cast<long long>(out.size());
            out += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
        }
        return out;
    }

    std::string Build() const
    {
        std::string out = BuildBody();
        xrefOffset = static_cast<long long>(out.size());
        out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
        for (size_t i = 1; i <= objects.size(); ++i)
            out += Row(offsets[i], 0, 'n');
        out += "trailer\n<< /Size " + std::to_string(objects.size() + 1) + " /Root 1 0 R" + trailerExtra +
               " >>\nstartxref\n" + std::to_string(xrefOffset) + "\n%%EOF\n";
        return out;
    }

    static std::string Row(long long inOffset, int inGeneration, char inType)
    {
        char row[32];
        snprintf(row, sizeof(row), "%010lld %05d %c \n", inOffset, inGeneration, inType);
        return row;
    }

    static std::string Stream(const std::string& inData, const std::string& inDictionaryExtra = "")
    {
        return "<< /Length " + std::to_string(inData.size()) + inDictionaryExtra + " >>\nstream\n" + inData + "\nendstream";
    }
};

// A catalog (object 1), a page tree root (object 2) with the given attributes and pages with
// their own attributes, each page given a small content stream.
inline PdfBuilder PagesDocument(const std::vector<std::string>& inPageAttributes, const std::string& inRootAttributes = "")
{
    PdfBuilder builder;
    builder.Add("<< /Type /Catalog /Pages 2 0 R >>");
    std::string kids;
    for (size_t i = 0; i < inPageAttributes.size(); ++i)
        kids += std::to_string(3 + 2 * i) + " 0 R ";
    builder.Add("<< /Type /Pages /Kids [" + kids + "] /Count " + std::to_string(inPageAttributes.size()) + " " +
                inRootAttributes + " >>");
    for (size_t i = 0; i < inPageAttributes.size(); ++i) {
        builder.Add("<< /Type /Page /Parent 2 0 R /Contents " + std::to_string(4 + 2 * i) + " 0 R " +
                    inPageAttributes[i] + " >>");
        builder.Add(PdfBuilder::Stream("0 0 m " + std::to_string(i) + " 10 l S"));
    }
    return builder;
}

// Appends an incremental update that replaces or adds the given objects.
inline std::string AppendUpdate(const std::string& inBase, long long inPreviousXref, int inSize,
                                const std::map<int, std::string>& inObjects, const std::string& inTrailerExtra = "",
                                const std::vector<int>& inFreed = {})
{
    std::string out = inBase;
    std::map<int, std::string> rows;
    for (const auto& object : inObjects) {
        rows[object.first] = PdfBuilder::Row(static_cast<long long>(out.size()), 0, 'n');
        out += std::to_string(object.first) + " 0 obj\n" + object.second + "\nendobj\n";
    }
    for (int id : inFreed)
        rows[id] = PdfBuilder::Row(0, 1, 'f');
    long long xref = static_cast<long long>(out.size());
    out += "xref\n";
    for (const auto& row : rows)
        out += std::to_string(row.first) + " 1\n" + row.second;
    out += "trailer\n<< /Size " + std::to_string(inSize) + " /Root 1 0 R /Prev " + std::to_string(inPreviousXref) +
           inTrailerExtra + " >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
    return out;
}

// A PDF 1.5 file whose objects lie in the file or in uncompressed object streams, listed by a
// cross-reference stream (W [1 4 2], or the widths given); or, as a hybrid, by a classic table whose trailer points
// with XRefStm to a cross-reference stream that lists only the objects inside object streams.
struct XrefStreamBuilder {
    std::string header = "%PDF-1.5\n%\xE2\xE3\xCF\xD3\n";
    std::map<int, std::string> fileObjects;
    std::map<int, std::vector<std::pair<int, std::string>>> objectStreams; // stream id -> objects in order
    // The keys of a stream's dictionary but /Type, with {N}, {First} and {Length} filled in.
    std::map<int, std::string> objectStreamKeys;
    std::map<int, std::array<unsigned long long, 3>> entryOverrides; // id -> (type, field 2, field 3)
    std::array<int, 3> widths = {1, 4, 2};

    static void Substitute(std::string& ioText, const std::string& inFrom, const std::string& inTo)
    {
        for (size_t at = ioText.find(inFrom); at != std::string::npos; at = ioText.find(inFrom, at + inTo.size()))
            ioText.replace(at, inFrom.size(), inTo);
    }
    std::string trailerExtra;
    // The keyword that begins the data of the object streams and the cross-reference stream.
    std::string streamKeyword = "stream\n";
    bool hybrid = false;
    bool hybridListsFree = false;

    std::string Build() const
    {
        std::string out = header;
        std::map<int, std::pair<int, unsigned long long>> entries; // id -> (type, offset or stream id), field 3 below
        std::map<int, unsigned long long> indexes;
        int maxID = 0;
        for (const auto& stream : objectStreams) {
            std::string offsets, data;
            int index = 0;
            for (const auto& object : stream.second) {
                offsets += std::to_string(object.first) + " " + std::to_string(data.size()) + " ";
                data += object.second + "\n";
                entries[object.first] = {2, stream.first};
                indexes[object.first] = index++;
                maxID = std::max(maxID, object.first);
            }
            std::string keys = objectStreamKeys.count(stream.first) ? objectStreamKeys.at(stream.first)
                                                                      : "/N {N} /First {First} /Length {Length}";
            Substitute(keys, "{N}", std::to_string(stream.second.size()));
            Substitute(keys, "{First}", std::to_string(offsets.size()));
            Substitute(keys, "{Length}", std::to_string(offsets.size() + data.size()));
            entries[stream.first] = {1, static_cast<long long>(out.size())};
            maxID = std::max(maxID, stream.first);
            out += std::to_string(stream.first) + " 0 obj\n<< /Type /ObjStm " + keys + " >>\n" + streamKeyword + offsets +
                   data + "\nendstream\nendobj\n";
        }
        for (const auto& object : fileObjects) {
            entries[object.first] = {1, static_cast<long long>(out.size())};
            maxID = std::max(maxID, object.first);
            out += std::to_string(object.first) + " 0 obj\n" + object.second + "\nendobj\n";
        }
        for (const auto& entry : entryOverrides) {
            entries[entry.first] = {static_cast<int>(entry.second[0]), entry.second[1]};
            indexes[entry.first] = entry.second[2];
            maxID = std::max(maxID, entry.first);
        }
        int xrefID = maxID + 1;
        long long xrefStreamOffset = static_cast<long long>(out.size());
        if (!hybrid)
            entries[xrefID] = {1, xrefStreamOffset};
        int size = xrefID + 1;

        std::string rows, index;
        auto addRow = [&](int inType, unsigned long long inField2, unsigned long long inField3) {
            const unsigned long long fields[3] = {static_cast<unsigned long long>(inType), inField2, inField3};
            for (int f = 0; f < 3; ++f)
                for (int shift = 8 * (widths[f] - 1); shift >= 0; shift -= 8)
                    rows.push_back(static_cast<char>(shift < 64 ? (fields[f] >> shift) & 0xFF : 0));
        };
        for (int id = 0; id < size; ++id) {
            auto it = entries.find(id);
            if (hybrid && (it == entries.end() || it->second.first != 2))
                continue;
            if (hybrid)
                index += std::to_string(id) + " 1 ";
            if (it == entries.end())
                addRow(0, 0, id == 0 ? 65535 : 0);
            else
                addRow(it->second.first, it->second.second, indexes.count(id) ? indexes.at(id) : 0);
        }
        std::string dictionary = "<< /Type /XRef /Size " + std::to_string(size) + " /W [" + std::to_string(widths[0]) +
                                 " " + std::to_string(widths[1]) + " " + std::to_string(widths[2]) + "] /Length " +
                                 std::to_string(rows.size());
        if (hybrid)
            dictionary += " /Index [" + index + "]";
        else
            dictionary += " /Root 1 0 R" + trailerExtra;
        out += std::to_string(xrefID) + " 0 obj\n" + dictionary + " >>\n" + streamKeyword + rows +
               "\nendstream\nendobj\n";
        if (!hybrid)
            return out + "startxref\n" + std::to_string(xrefStreamOffset) + "\n%%EOF\n";

        // The classic table lists the file's objects in runs; objects in object streams are left
        // out, or listed as free when hybridListsFree is set.
        long long tableOffset = static_cast<long long>(out.size());
        out += "xref\n";
        for (int id = 0; id < size;) {
            auto inTable = [&](int inID) {
                auto it = entries.find(inID);
                return hybridListsFree || it == entries.end() || it->second.first != 2;
            };
            if (!inTable(id)) {
                ++id;
                continue;
            }
            int end = id;
            while (end < size && inTable(end))
                ++end;
            out += std::to_string(id) + " " + std::to_string(end - id) + "\n";
            for (; id < end; ++id) {
                auto it = entries.find(id);
                if (it != entries.end() && it->second.first == 1)
                    out += PdfBuilder::Row(it->second.second, 0, 'n');
                else
                    out += PdfBuilder::Row(0, id == 0 ? 65535 : 0, 'f');
            }
        }
        out += "trailer\n<< /Size " + std::to_string(size) + " /Root 1 0 R /XRefStm " + std::to_string(xrefStreamOffset) +
               trailerExtra + " >>\nstartxref\n" + std::to_string(tableOffset) + "\n%%EOF\n";
        return out;
    }
};

// Owns the bytes and the reader a parser works on.
struct ParsedBytes {
    explicit ParsedBytes(std::string inBytes) : bytes(std::move(inBytes))
    {
        stream.Assign(reinterpret_cast<const Byte*>(bytes.data()), static_cast<LongFilePositionType>(bytes.size()));
        status = parser.ParseDocument(&stream);
    }
    std::string bytes;
    InputByteArrayStream stream;
    PDFParser parser;
    OpStatus status;
};

inline std::unique_ptr<ParsedBytes> ParseBytes(const std::string& inBytes)
{
    return std::make_unique<ParsedBytes>(inBytes);
}

inline std::unique_ptr<ParsedBytes> ParseFile(const std::filesystem::path& inPath)
{
    return std::make_unique<ParsedBytes>(ReadFile(inPath));
}

} // namespace parsertest

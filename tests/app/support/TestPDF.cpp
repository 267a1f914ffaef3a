#include "app/support/TestPDF.h"

#include <QFile>
#include <QVector>

#include <algorithm>

namespace TestPDF {

QByteArray Make(const QStringList& pageTexts, bool encrypted, const Extras& extras)
{
    const int pageCount = pageTexts.size();
    QByteArray kids;
    for (int i = 0; i < pageCount; ++i)
        kids += QByteArray::number(4 + 2 * i) + " 0 R ";
    QList<QByteArray> bodies{"<< /Type /Catalog /Pages 2 0 R >>",
                             "<< /Type /Pages /Kids [ " + kids + "] /Count " + QByteArray::number(pageCount) + " " +
                                 extras.pageTree + " >>",
                             "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"};
    for (int i = 0; i < pageCount; ++i) {
        const QByteArray extra = extras.pages.value(i);
        const QByteArray mediaBox = extra.contains("/MediaBox") ? QByteArray() : QByteArray("/MediaBox [0 0 612 792] ");
        bodies << "<< /Type /Page /Parent 2 0 R " + mediaBox + extra +
                      " /Resources << /Font << /F1 3 0 R >> >> /Contents " + QByteArray::number(5 + 2 * i) + " 0 R >>";
        const QByteArray content = "BT /F1 24 Tf 72 700 Td (" + pageTexts.at(i).toLatin1() + ") Tj ET";
        bodies << Stream(content);
    }
    QByteArray trailer;
    if (encrypted) {
        const QByteArray key(64, 'A');
        trailer = " /Encrypt << /Filter /Standard /V 1 /R 2 /O <" + key + "> /U <" + key +
                  "> /P -4 >> /ID [<0123456789ABCDEF0123456789ABCDEF> <0123456789ABCDEF0123456789ABCDEF>]";
    }
    return Assemble(bodies, trailer);
}

QByteArray WithUnreadableResources(QByteArray pdf, const QList<int>& pages)
{
    for (int page : pages) {
        const QByteArray object = QByteArray::number(2 + 2 * page) + " 0 obj";
        const QByteArray resources = "/Resources << /Font << /F1 3 0 R >> >>";
        const int at = pdf.indexOf(resources, pdf.indexOf(object));
        pdf.replace(at, resources.size(), QByteArray("/Resources 5 0 R").leftJustified(resources.size(), ' '));
    }
    return pdf;
}

QByteArray WithMisplacedContent(QByteArray pdf, const QList<int>& pages)
{
    // Object 3 is the font, 3 + 2k page k's content.
    for (int page : pages)
        pdf = WithEntryOf(pdf, 3 + 2 * page, 3);
    return pdf;
}

QByteArray WithEntryOf(QByteArray pdf, int object, int other)
{
    const int table = pdf.lastIndexOf("\nxref\n") + 1;
    QList<QByteArray> rows = pdf.mid(table).split('\n');
    // Row 2 + n is object n's entry.
    rows[2 + object] = rows[2 + other];
    return pdf.left(table) + rows.join('\n');
}

QByteArray Stream(const QByteArray& data, const QByteArray& entries)
{
    return "<< /Length " + QByteArray::number(data.size()) + entries + " >>\nstream\n" + data + "\nendstream";
}

QByteArray Assemble(const QList<QByteArray>& bodies, const QByteArray& trailerEntries)
{
    QByteArray pdf("%PDF-1.4\n%\xE2\xE3\xCF\xD3\n");
    QVector<int> offsets;
    for (const QByteArray& body : bodies) {
        offsets.append(pdf.size());
        pdf += QByteArray::number(offsets.size()) + " 0 obj\n" + body + "\nendobj\n";
    }
    const int xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(offsets.size() + 1) + "\n0000000000 65535 f \n";
    for (int offset : offsets)
        pdf += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(offsets.size() + 1) + " /Root 1 0 R" + trailerEntries +
           " >>\nstartxref\n" + QByteArray::number(xref) + "\n%%EOF\n";
    return pdf;
}

QByteArray WithUpdate(const QByteArray& pdf, int id, const QByteArray& body, bool endMarker)
{
    return WithUpdate(pdf, {{id, body}}, endMarker);
}

QByteArray WithUpdate(const QByteArray& pdf, const QList<QPair<int, QByteArray>>& objects, bool endMarker)
{
    const QByteArray previous = LastNumberAfter(pdf, "startxref");
    int size = LastNumberAfter(pdf, "/Size").toInt();
    QByteArray out = pdf;
    QByteArray rows;
    for (const QPair<int, QByteArray>& object : objects) {
        rows += QByteArray::number(object.first) + " 1\n" + QByteArray::number(out.size()).rightJustified(10, '0') +
                " 00000 n \n";
        out += QByteArray::number(object.first) + " 0 obj\n" + object.second + "\nendobj\n";
        size = std::max(size, object.first + 1);
    }
    const int xref = out.size();
    out += "xref\n" + rows + "trailer\n<< /Size " + QByteArray::number(size) + " /Root 1 0 R /Prev " + previous +
           " >>\nstartxref\n" + QByteArray::number(xref) + "\n";
    return endMarker ? out + "%%EOF\n" : out;
}

QByteArray LastNumberAfter(const QByteArray& pdf, const QByteArray& key)
{
    return pdf.mid(pdf.lastIndexOf(key) + key.size()).simplified().split(' ').value(0);
}

QByteArray Read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace TestPDF

#pragma once
// Writes a rich-text document as an HTML page that keeps its pictures: every image whose file is
// a local file is copied into a folder beside the page, named after it ("page.html" gets
// "page_files"), and the page refers to the copies by relative URLs. So the page never points
// into the editor's image store, whose files go when their document is discarded, and can be
// moved together with its folder.
//
// The page is UTF-8 and says so in its head. All files are written beside their targets first
// and put in place only when every one of them is complete; a failed export removes the copies
// it added (and the folder, when it made it) and leaves an earlier page and its images as they
// were: a file that a copy replaces is kept aside until then. Existing files in the folder are
// replaced only by copies made under their name, never by a copy of another image of the
// document. GUI thread only.
//
// Memory that runs out on the way (std::bad_alloc, thrown on to the caller) undoes the export in
// the same way.

#include <QString>

class QTextDocument;

namespace HtmlExport {

// The folder the images of the page at htmlPath go to.
QString ImagesFolderOf(const QString& htmlPath);

// Writes the document (whose image names are changed to the copies' relative URLs) as the page
// and its images. False with the reason, naming the file, when anything cannot be read or written.
bool WritePageWithImages(const QString& htmlPath, QTextDocument& document, QString& error);

} // namespace HtmlExport

#pragma once
// The settings store: remembered folders, one key per file dialog, under the application
// identity. Every call makes its own QSettings with the default constructor after making sure
// the identity exists, so no key can land under another name. A value is written and synced at
// once. GUI thread only (worker threads never touch the settings).

#include <QString>

namespace SettingsKey {
// Shared by the merge, split, watermark and crop windows.
inline constexpr char AddPDFDocumentsLocation[] = "AddPDFDocumentsLocation";
inline constexpr char AddFolderPDFDocumentsLocation[] = "AddFolderPDFDocumentsLocation";
// One output folder per tool.
inline constexpr char MergePDFOutputFolder[] = "MergePDFOutputFolder";
inline constexpr char SplitPDFOutputFolder[] = "SplitPDFOutputFolder";
inline constexpr char WatermarkPDFOutputFolder[] = "WatermarkPDFOutputFolder";
inline constexpr char CropPDFOutputFolder[] = "CropPDFOutputFolder";
// The Create New PDF editor.
inline constexpr char InsertImageLocation[] = "InsertImageLocation"; // defaults to Pictures
inline constexpr char CreateNewPDFOutputFolder[] = "CreateNewPDFOutputFolder";
inline constexpr char CreateNewHTMLOutputFolder[] = "CreateNewHTMLOutputFolder";
// The text extraction window.
inline constexpr char SelectScannedDocumentLocation[] = "SelectScannedDocumentLocation";
inline constexpr char ExtractTextPDFOutputFolder[] = "ExtractTextPDFOutputFolder";
inline constexpr char ExtractTextTXTOutputFolder[] = "ExtractTextTXTOutputFolder";
} // namespace SettingsKey

namespace AppSettings {

// The user's Documents and Pictures folders (QStandardPaths' writable locations).
QString DocumentsFolder();
QString PicturesFolder();

// The folder remembered under the key; the Documents folder (Pictures for
// "InsertImageLocation") when nothing was stored yet.
QString Folder(const QString& key);
// The same with an explicit default.
QString Folder(const QString& key, const QString& defaultFolder);

// Remembers a folder under the key and syncs the store at once (nothing to write when it is
// remembered already).
void SetFolder(const QString& key, const QString& folder);

// The folder part of a chosen file: the text left of its last "/" (the whole text without one).
QString FolderOfFile(const QString& filePath);

} // namespace AppSettings

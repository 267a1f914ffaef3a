#pragma once
// Whether two paths name one file: the same device and inode, so two spellings of a path and
// hard or symbolic links to one file all count as the same. False when either does not exist.
// The tools use it to keep a job from writing over one of its own inputs.

#include <QString>
#include <QStringList>

bool IsSameFile(const QString& first, const QString& second);

// The first of the paths that names the same file as `path`; empty when none does.
QString FindSameFile(const QString& path, const QStringList& paths);

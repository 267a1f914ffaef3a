#include "app/tools/FileToolEngine.h"

#include "app/tools/FailedFile.h"
#include "app/tools/FileIdentity.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaMethod>

FileToolEngine::FileToolEngine(QObject* parent) : QObject(parent) {}

bool FileToolEngine::StopRequested() const
{
    return stopFlag && stopFlag->load(std::memory_order_acquire);
}

void FileToolEngine::BeginOperation()
{
    overwriteDecision.Reset();
}

FileToolEngine::TargetStep FileToolEngine::ClearTarget(const QString& target, const QStringList& jobInputs,
                                                      QString& reason)
{
    // A target that is not there is none of the inputs either.
    if (!QFileInfo::exists(target))
        return TargetStep::Write;
    if (!FindSameFile(target, jobInputs).isEmpty()) {
        reason = tr("the output %1 would replace a document of this job").arg(QDir::toNativeSeparators(target));
        return TargetStep::Fail;
    }
    if (!overwriteDecision.AnswersForAll()) {
        // Nobody to ask (an engine run without a window) would mean waiting for ever: the file
        // is kept, as a user who closes the question keeps it.
        if (!isSignalConnected(QMetaMethod::fromSignal(&FileToolEngine::ShowOverwriteDialog)))
            return TargetStep::Skip;
        overwriteDecision.Reset();
        emit ShowOverwriteDialog(target);
        overwriteDecision.WaitForAnswer(stopFlag);
    }
    if (StopRequested() || !overwriteDecision.AllowsOverwrite())
        return TargetStep::Skip;
    // Opened for reading and writing without being changed: a file that another program holds,
    // or that is read-only, is not replaced behind the user's back.
    QFile existing(target);
    if (!existing.open(QIODevice::ReadWrite)) {
        reason = WriteFailureReason(target, existing.errorString());
        return TargetStep::Fail;
    }
    existing.close();
    return TargetStep::Write;
}

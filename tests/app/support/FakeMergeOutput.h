#pragma once
// A merge output for tests, in place of the PDF library: it writes a plain file ("%FAKE\n",
// then the bytes of each input it could read, then "%END\n"), records every call (a start with
// the document's final path) and fails where the script says, with the reasons "cannot read
// <marker>" and "end failed". One FakeMergeScript is shared by the test (GUI thread) and the outputs
// its factory makes (worker thread); set its options before the job starts, and keep it alive
// until the job has ended.

#include "app/tools/merge/IMergeOutput.h"

#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <mutex>

class FakeMergeScript {
public:
    bool failStart = false;
    bool failEnd = false;
    // An input whose path holds this text cannot be added.
    QString failingMarker = QStringLiteral("BROKEN");
    // Each append sleeps this long first.
    int appendDelayMs = 0;
    // After this many appends, the flag is set (a stop request arriving mid-job).
    std::atomic<bool>* stopFlag = nullptr;
    int stopAfterAppends = -1;

    // While the gate is closed, each append waits until it opens (10 s at most).
    void CloseGate();
    void OpenGate();
    // Becomes true when an append is waiting at the closed gate.
    std::atomic<bool> waitingAtGate{false};

    std::atomic<int> appends{0};
    // "start <path>", "append <path>", "end", "close", in order.
    QStringList Calls() const;

    MergeOutputFactory Factory();

    // Used by the outputs.
    void Record(const QString& call);
    void PassGate();

private:
    mutable std::mutex mutex;
    std::condition_variable gateOpened;
    bool gateClosed = false;
    QStringList calls;
};

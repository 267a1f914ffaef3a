#pragma once
// The worker thread object of a file tool. The window fills the tool's input fields while the
// thread is not running, then starts it; run() (in the tool's subclass) copies the fields and
// calls the tool's engine, which checks the stop flag between its steps. A thread object must
// not be destroyed while it runs: StopAndWait() asks the job to stop and waits for it, and every
// subclass destructor calls it first, since the subclass's engine dies before this base does.

#include <QThread>

#include <atomic>

class ToolThread : public QThread {
    Q_OBJECT

public:
    explicit ToolThread(QObject* parent = nullptr);

    // Asks the running job to stop at its next check; the flag stays set until ClearStop.
    void RequestStop();
    // Called before each start, while the thread does not run.
    void ClearStop();
    bool StopRequested() const;
    // The flag the engine checks; lives as long as this object.
    const std::atomic<bool>* StopFlag() const { return &stopRequested; }

    // RequestStop, then blocks until run() has returned (at once when it is not running).
    void StopAndWait();

private:
    std::atomic<bool> stopRequested{false};
};

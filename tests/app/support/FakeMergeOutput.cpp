#include "app/support/FakeMergeOutput.h"

#include <QFile>
#include <QThread>

#include <chrono>

namespace {

class FakeMergeOutput : public IMergeOutput {
public:
    explicit FakeMergeOutput(FakeMergeScript& script) : script(script) {}
    ~FakeMergeOutput() override { script.Record(QStringLiteral("close")); }

    bool Start(const QString& writePath, const QString& documentPath) override
    {
        script.Record(QStringLiteral("start ") + documentPath);
        if (script.failStart) {
            lastFailure = QStringLiteral("start failed");
            return false;
        }
        output.setFileName(writePath);
        return output.open(QIODevice::WriteOnly | QIODevice::Truncate) && output.write("%FAKE\n") == 6;
    }

    bool AppendAllPages(const QString& inputPath) override
    {
        script.Record(QStringLiteral("append ") + inputPath);
        script.PassGate();
        if (script.appendDelayMs > 0)
            QThread::msleep(static_cast<unsigned long>(script.appendDelayMs));
        const int done = ++script.appends;
        if (script.stopFlag && done == script.stopAfterAppends)
            script.stopFlag->store(true);
        pagesOfLastInput = 0;
        if (!script.failingMarker.isEmpty() && inputPath.contains(script.failingMarker)) {
            lastFailure = QStringLiteral("cannot read ") + script.failingMarker;
            return false;
        }
        QFile input(inputPath);
        if (input.open(QIODevice::ReadOnly))
            output.write(input.readAll());
        pagesOfLastInput = 1;
        return true;
    }

    int PagesOfLastInput() const override { return pagesOfLastInput; }

    bool End() override
    {
        script.Record(QStringLiteral("end"));
        if (script.failEnd) {
            lastFailure = QStringLiteral("end failed");
            return false;
        }
        output.write("%END\n");
        output.close();
        return true;
    }

    QString LastFailure() const override { return lastFailure; }

private:
    FakeMergeScript& script;
    QFile output;
    QString lastFailure;
    int pagesOfLastInput = 0;
};

} // namespace

void FakeMergeScript::CloseGate()
{
    std::lock_guard<std::mutex> lock(mutex);
    gateClosed = true;
}

void FakeMergeScript::OpenGate()
{
    {
        std::lock_guard<std::mutex> lock(mutex);
        gateClosed = false;
    }
    gateOpened.notify_all();
}

void FakeMergeScript::PassGate()
{
    std::unique_lock<std::mutex> lock(mutex);
    if (!gateClosed)
        return;
    waitingAtGate = true;
    gateOpened.wait_for(lock, std::chrono::seconds(10), [this]() { return !gateClosed; });
    waitingAtGate = false;
}

QStringList FakeMergeScript::Calls() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return calls;
}

void FakeMergeScript::Record(const QString& call)
{
    std::lock_guard<std::mutex> lock(mutex);
    calls.append(call);
}

MergeOutputFactory FakeMergeScript::Factory()
{
    return [this]() { return std::make_unique<FakeMergeOutput>(*this); };
}

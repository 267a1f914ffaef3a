#pragma once
// Memory that runs out fails the job at hand, never the program. Each job (one source of a file
// tool, a merge, an export) runs through WhenMemoryRunsOut at its edge: a std::bad_alloc thrown
// anywhere inside unwinds the job, whose staged outputs remove themselves on the way, and the job
// then fails with OutOfMemoryReason(), once the memory it held is free again.

#include <QString>

#include <new>
#include <utility>

// "memory ran out", as part of a sentence.
QString OutOfMemoryReason();

// job(), or failed(OutOfMemoryReason()) when memory ran out inside it.
template <typename Job, typename Failed>
auto WhenMemoryRunsOut(Job&& job, Failed&& failed) -> decltype(job())
{
    try {
        return std::forward<Job>(job)();
    } catch (const std::bad_alloc&) {
        return std::forward<Failed>(failed)(OutOfMemoryReason());
    }
}

// job(), or `failed` with `reason` set when memory ran out inside it.
template <typename Job, typename Result> Result UnlessMemoryRunsOut(Job&& job, QString& reason, Result failed)
{
    return WhenMemoryRunsOut(std::forward<Job>(job), [&reason, &failed](const QString& ranOut) {
        reason = ranOut;
        return failed;
    });
}

// For a job that says whether it succeeded and, when not, why in `reason`.
template <typename Job> bool SucceedsUnlessMemoryRunsOut(Job&& job, QString& reason)
{
    return UnlessMemoryRunsOut(std::forward<Job>(job), reason, false);
}

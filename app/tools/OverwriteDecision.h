#pragma once
// The answer to "overwrite this existing output?", shared by a tool's engine (worker thread)
// and its window (GUI thread). The engine stores Pending before it asks and waits; the window
// stores the user's answer. Plain atomic loads and stores only: the engine writes Pending
// before it emits its question and the window answers only after the question arrived, so the
// two writers never race for one question.

#include <atomic>

class OverwriteDecision {
public:
    enum Value : int { Pending = 0, Yes = 1, YesToAll = 2, No = 3, NoToAll = 4 };

    OverwriteDecision() = default;
    OverwriteDecision(const OverwriteDecision&) = delete;
    OverwriteDecision& operator=(const OverwriteDecision&) = delete;

    int Load() const { return mValue.load(std::memory_order_acquire); }
    // Values outside 1 to 4 (a dialog that never set one) are stored as No.
    void Store(int value);
    void Reset() { mValue.store(Pending, std::memory_order_release); }

    // "to all" answers hold for the rest of the operation: no further question is asked.
    bool AnswersForAll() const;
    // Yes or YesToAll.
    bool AllowsOverwrite() const;

    // Worker side: sleeps in steps of 50 ms until an answer is stored and returns it. When
    // `stop` is given and becomes true first (the user closed the tool), returns No, so a
    // stopped job never writes over a file nobody agreed to lose.
    int WaitForAnswer(const std::atomic<bool>* stop = nullptr) const;

private:
    std::atomic<int> mValue{Pending};
};

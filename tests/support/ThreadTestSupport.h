#pragma once
// What tests of threads and windows share: a worker thread running a function, and the application's
// exception display caught into a list.

#include "platform/base/Threads.h"
#include "platform/gui/Forms.h"

#include <functional>
#include <utility>
#include <vector>

class TWorker : public TThread {
public:
    explicit TWorker(std::function<void()> AWork) : TThread(false), FWork(std::move(AWork)) {}

protected:
    void Execute() override { FWork(); }

private:
    std::function<void()> FWork;
};

struct TExceptionCatcher {
    std::vector<String> Messages;
    TExceptionCatcher() {
        Application->OnException = [this](TObject*, Exception* E) { Messages.push_back(E->Message()); };
    }
    ~TExceptionCatcher() { Application->OnException = nullptr; }
    TExceptionCatcher(const TExceptionCatcher&) = delete;
    TExceptionCatcher& operator=(const TExceptionCatcher&) = delete;
};

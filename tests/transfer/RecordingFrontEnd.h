// A transfer front end for tests: records what the run reports and answers the cancel
// question as scripted.
#pragma once

#include "card/TransferRun.h"

#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace lw::test {

class RecordingFrontEnd : public TransferFrontEnd {
public:
    struct Handled {
        std::size_t row;
        SongOutcome outcome;
        std::string target;
    };

    std::vector<std::size_t> selected;
    std::vector<Handled> handled;
    std::vector<RunMessage> messages;
    std::vector<int> cancelQuestions;
    int beeps = 0;
    int lastProgress = 0;
    int progressMaximum = -1;
    bool answerCancel = true;
    // Called at each chance to run window events (once per handled song).
    std::function<void(int handledCount)> onEvents;

    void rowSelected(std::size_t row) override { selected.push_back(row); }
    void rowInView(std::size_t) override {}
    void rowHandled(std::size_t row, SongOutcome outcome, const std::string& target) override {
        handled.push_back({row, outcome, target});
    }
    void progress(int value, int maximum) override {
        lastProgress = value;
        progressMaximum = maximum;
    }
    void message(const RunMessage& m) override { messages.push_back(m); }
    bool askCancel(int question, int) override {
        cancelQuestions.push_back(question);
        return answerCancel;
    }
    void processEvents() override {
        if (onEvents)
            onEvents(static_cast<int>(handled.size()));
    }
    void beep() override { ++beeps; }
    // The cancel button: pressed when true, taken by the run.
    bool cancel = false;
    bool takeCancelRequest() override { return std::exchange(cancel, false); }

    // The message numbers of every message, in order (first part of each).
    std::vector<int> messageNumbers() const {
        std::vector<int> out;
        for (const auto& m : messages)
            out.push_back(m.parts.empty() ? 0 : m.parts.front().number);
        return out;
    }
};

} // namespace lw::test

#pragma once
// A message-box service for window tests: records every box it is asked for and answers each
// with the next queued answer, or, when none is queued, with the box's first button (the one
// Enter would press).

#include <deque>
#include <vector>

#include "MessageBoxService.h"

class RecordingMessageBoxService : public MessageBoxService {
  public:
    MessageBoxAnswer show(const MessageBoxRequest& request) override {
        FBoxes.push_back(request);
        if (!FAnswers.empty()) {
            const MessageBoxAnswer answer = FAnswers.front();
            FAnswers.pop_front();
            return answer;
        }
        return firstButton(request.buttons);
    }

    void queueAnswer(MessageBoxAnswer answer) { FAnswers.push_back(answer); }
    const std::vector<MessageBoxRequest>& boxes() const { return FBoxes; }
    void clear() {
        FBoxes.clear();
        FAnswers.clear();
    }

    static MessageBoxAnswer firstButton(MessageBoxButtons buttons) {
        switch (buttons) {
            case MessageBoxButtons::YesNo:
            case MessageBoxButtons::YesNoCancel:
                return MessageBoxAnswer::Yes;
            case MessageBoxButtons::RetryCancel:
                return MessageBoxAnswer::Retry;
            case MessageBoxButtons::AbortRetryIgnore:
                return MessageBoxAnswer::Abort;
            case MessageBoxButtons::Ok:
            case MessageBoxButtons::OkCancel:
                break;
        }
        return MessageBoxAnswer::Ok;
    }

  private:
    std::vector<MessageBoxRequest> FBoxes;
    std::deque<MessageBoxAnswer> FAnswers;
};

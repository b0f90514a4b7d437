#pragma once
// A message-box service for window tests: records every box it is asked for and answers each
// with the next queued answer, or, when none is queued, with the button Enter would press (the
// box's default, else its first button).

#include <deque>
#include <functional>
#include <vector>

#include "platform/MessageBoxService.h"

class RecordingMessageBoxService : public MessageBoxService {
  public:
    MessageBoxAnswer show(const MessageBoxRequest& request) override {
        FBoxes.push_back(request);
        if (FWhileShown) FWhileShown(request);
        if (!FAnswers.empty()) {
            const MessageBoxAnswer answer = FAnswers.front();
            FAnswers.pop_front();
            return answer;
        }
        return request.defaultAnswer.value_or(firstButton(request.buttons));
    }

    void queueAnswer(MessageBoxAnswer answer) { FAnswers.push_back(answer); }
    // Runs while each box is up, before it is answered (to look at what the user sees then).
    void whileShown(std::function<void(const MessageBoxRequest&)> look) {
        FWhileShown = std::move(look);
    }
    const std::vector<MessageBoxRequest>& boxes() const { return FBoxes; }
    void clear() {
        FBoxes.clear();
        FAnswers.clear();
        FWhileShown = nullptr;
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
    std::function<void(const MessageBoxRequest&)> FWhileShown;
};

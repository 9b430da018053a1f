#pragma once

#include <QWidget>
#include <vector>

#include "controls/window_messages.h"

namespace tq260::testing {

struct ReceivedMessage {
    int message;
    qintptr wParam;
    qintptr lParam;
    friend bool operator==(const ReceivedMessage&, const ReceivedMessage&) = default;
};

// A parent window that keeps every program message it receives.
class MessageRecorder final : public QWidget {
  public:
    MessageRecorder() { resize(400, 400); }
    std::vector<ReceivedMessage> received;

    std::vector<ReceivedMessage> of(int message) const {
        std::vector<ReceivedMessage> selected;
        for (const auto& m : received) {
            if (m.message == message) selected.push_back(m);
        }
        return selected;
    }

  protected:
    bool event(QEvent* event) override {
        if (const auto* message = asWindowMessage(event)) {
            received.push_back({message->message(), message->wParam(), message->lParam()});
            return true;
        }
        return QWidget::event(event);
    }
};

}  // namespace tq260::testing

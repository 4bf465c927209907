#pragma once

#include <string>

namespace quib::server {

// Where code without a window reports a failure to the experimenter: a modal
// box with an OK button. Texts are Windows-1252. On the main thread it
// returns once the box is closed; the network thread's sink returns at once
// (CrossThreadMessages), so that the game goes on behind the box.
class MessageSink {
  public:
    virtual ~MessageSink() = default;
    virtual void ShowMessage(const std::string& title, const std::string& text) = 0;
};

}  // namespace quib::server

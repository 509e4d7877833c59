// The one message-box routine of the system. Every message the core shows goes through
// ShowMessage, which hands it to the sink the running program installed: a dialog in the
// windowed program, standard error in the command line, a recording sink in tests.
#pragma once

#include <deque>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace meridia::startup {

// Message-box style codes: buttons in the low bits, icon class in the high bits.
inline constexpr int kOkOnly = 0;
inline constexpr int kOkCancel = 1;
inline constexpr int kAbortRetryIgnore = 2;
inline constexpr int kYesNoCancel = 3;
inline constexpr int kYesNo = 4;
inline constexpr int kRetryCancel = 5;
inline constexpr int kCritical = 16;
inline constexpr int kQuestion = 32;
inline constexpr int kExclamation = 48;
inline constexpr int kInformation = 64;

// Buttons a message box returns.
inline constexpr int kAnswerOk = 1;
inline constexpr int kAnswerCancel = 2;
inline constexpr int kAnswerAbort = 3;
inline constexpr int kAnswerRetry = 4;
inline constexpr int kAnswerIgnore = 5;
inline constexpr int kAnswerYes = 6;
inline constexpr int kAnswerNo = 7;

struct Message {
    std::string text;  // lines joined with "\n"
    int style = 0;
    std::string title;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    // Shows the message and returns the button pressed.
    virtual int Show(const Message& message) = 0;
};

// Writes "[TITLE]" (left out when empty) and the message's lines to standard error and
// answers with the default button of the style (OK, Yes, Abort or Retry).
class StderrMessageSink : public MessageSink {
public:
    int Show(const Message& message) override;
};

// Keeps every message and answers with scripted buttons (then with the default button).
class RecordingMessageSink : public MessageSink {
public:
    int Show(const Message& message) override;
    void QueueAnswer(int button) { answers_.push_back(button); }
    const std::vector<Message>& messages() const { return messages_; }
    void Clear() { messages_.clear(); }

private:
    std::vector<Message> messages_;
    std::deque<int> answers_;
};

// The default button of a style: what a user pressing Enter would get.
int DefaultAnswer(int style);

// Shows a message through the current session's sink and returns the button pressed.
int ShowMessage(std::string_view text, int style, std::string_view title);

// Joins message lines with line breaks.
std::string JoinLines(std::initializer_list<std::string_view> lines);

}  // namespace meridia::startup

#include "startup/messages.h"

#include <cstdio>

#include "startup/session.h"

namespace meridia::startup {

int DefaultAnswer(int style) {
    switch (style & 7) {
        case kAbortRetryIgnore:
            return kAnswerAbort;
        case kYesNoCancel:
        case kYesNo:
            return kAnswerYes;
        case kRetryCancel:
            return kAnswerRetry;
        default:
            return kAnswerOk;
    }
}

int StderrMessageSink::Show(const Message& message) {
    if (!message.title.empty()) {
        std::fprintf(stderr, "[%s]\n", message.title.c_str());
    }
    std::fprintf(stderr, "%s\n", message.text.c_str());
    std::fflush(stderr);
    return DefaultAnswer(message.style);
}

int RecordingMessageSink::Show(const Message& message) {
    messages_.push_back(message);
    if (!answers_.empty()) {
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    }
    return DefaultAnswer(message.style);
}

int ShowMessage(std::string_view text, int style, std::string_view title) {
    Message message{std::string(text), style, std::string(title)};
    Session& session = CurrentSession();
    session.CountMessage();
    return session.message_sink().Show(message);
}

std::string JoinLines(std::initializer_list<std::string_view> lines) {
    std::string out;
    bool first = true;
    for (std::string_view line : lines) {
        if (!first) {
            out += '\n';
        }
        out += line;
        first = false;
    }
    return out;
}

}  // namespace meridia::startup

#include "startup/session.h"

namespace meridia::startup {

namespace {
std::unique_ptr<Session>& SessionSlot() {
    static std::unique_ptr<Session> session;
    return session;
}
}  // namespace

Session::Session() : sink_(&stderr_sink_) {}

Session::~Session() = default;

void Session::SetMessageSink(MessageSink* sink) { sink_ = sink != nullptr ? sink : &stderr_sink_; }

Session& CurrentSession() {
    auto& slot = SessionSlot();
    if (!slot) {
        slot = std::make_unique<Session>();
    }
    return *slot;
}

void InstallSession(std::unique_ptr<Session> session) { SessionSlot() = std::move(session); }

}  // namespace meridia::startup

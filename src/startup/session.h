// The session: one object that holds the process-wide tables (settings, folders, name
// tables, zone mnemonics, the message sink) and, keyed by type, the tables of the higher
// subsystems (calculated-chart table, aspect manager...). A program installs one at start;
// tests install a fresh one per test. Single-threaded: the core is never used by two threads.
#pragma once

#include <filesystem>
#include <memory>
#include <typeindex>
#include <unordered_map>

#include "startup/messages.h"
#include "startup/settings.h"

namespace meridia::startup {

struct Folders {
    std::filesystem::path program;     // factory copies (share/meridia)
    std::filesystem::path user_files;  // "Meridia User Files"
    std::filesystem::path config;      // per-user-account files (registry.ini, MeridiaMDUF.ini...)
};

class Session {
public:
    Session();
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    SettingsClass& settings() { return settings_; }
    Folders& folders() { return folders_; }

    MessageSink& message_sink() { return *sink_; }
    // Installs a sink; the session does not own it. nullptr restores the stderr sink.
    void SetMessageSink(MessageSink* sink);

    // How many messages have been shown in this session: lets a caller tell whether a routine
    // it called has already told the user why it failed.
    long messages_shown() const { return messages_shown_; }
    void CountMessage() { ++messages_shown_; }

    // The state object of type T kept by this session, made on first use. T must be
    // default-constructible.
    template <class T>
    T& Get() {
        auto it = extras_.find(std::type_index(typeid(T)));
        if (it == extras_.end()) {
            auto holder = std::make_unique<Holder<T>>();
            T& ref = holder->value;
            extras_.emplace(std::type_index(typeid(T)), std::move(holder));
            return ref;
        }
        return static_cast<Holder<T>*>(it->second.get())->value;
    }

private:
    struct HolderBase {
        virtual ~HolderBase() = default;
    };
    template <class T>
    struct Holder : HolderBase {
        T value{};
    };

    SettingsClass settings_;
    Folders folders_;
    StderrMessageSink stderr_sink_;
    MessageSink* sink_;
    long messages_shown_ = 0;
    std::unordered_map<std::type_index, std::unique_ptr<HolderBase>> extras_;
};

// The process-wide session (made on first use when none was installed).
Session& CurrentSession();
// Replaces the process-wide session; the old one is destroyed.
void InstallSession(std::unique_ptr<Session> session);

}  // namespace meridia::startup

// The one way the core reports how a load, a save or a calculation ended: a status code, the
// user's message as the program words it (with its box title), and the file it concerns.
// Callers decide whether to show it (Show) or to pass it on; nobody has to probe the file
// system again or count messages to learn why something failed.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <utility>

namespace meridia::startup {

enum class StatusCode {
    kOk,
    kNotFound,      // the file or the item does not exist
    kUnreadable,    // it exists but cannot be opened or read
    kDamaged,       // its bytes are not what its format allows
    kWrongVersion,  // a format version the program does not know
    kOutOfRange,    // a value or a date outside what the program handles
    kRefused,       // typed input or a request the program refuses
    kWriteFailed,   // a file could not be written; the old file is as it was
    kNotConverged,  // a search ended without reaching its tolerance
    kCancelled,     // the user stopped it
    kFailed,        // any other failure
};

class Status {
public:
    // Success.
    Status() = default;
    // A failure with the user's message (lines joined with "\n"), the message box title and
    // the file concerned (empty when none).
    Status(StatusCode code, std::string message, std::string title = {},
           std::filesystem::path path = {})
        : code_(code),
          message_(std::move(message)),
          title_(std::move(title)),
          path_(std::move(path)) {}

    static Status Ok() { return {}; }

    bool ok() const { return code_ == StatusCode::kOk; }
    // The same as ok(), so that a status can stand where a success flag stood.
    explicit operator bool() const { return ok(); }
    StatusCode code() const { return code_; }
    const std::string& message() const { return message_; }
    const std::string& title() const { return title_; }
    const std::filesystem::path& path() const { return path_; }

    // Shows the message through ShowMessage with the given style (an OK box by default) and
    // returns the button pressed; shows nothing and returns 0 for success or an empty message.
    int Show(int style = 0) const;

private:
    StatusCode code_ = StatusCode::kOk;
    std::string message_;
    std::string title_;
    std::filesystem::path path_;
};

// A value or the status that explains why there is none.
template <class T>
class StatusOr {
public:
    StatusOr(T value) : value_(std::move(value)) {}          // NOLINT(google-explicit-constructor)
    StatusOr(Status status) : status_(std::move(status)) {}  // NOLINT(google-explicit-constructor)

    bool ok() const { return value_.has_value(); }
    // The same as ok(), so that a StatusOr reads like the optional it replaces.
    bool has_value() const { return value_.has_value(); }
    explicit operator bool() const { return value_.has_value(); }
    const Status& status() const { return status_; }
    T& value() { return *value_; }
    const T& value() const { return *value_; }
    T& operator*() { return *value_; }
    const T& operator*() const { return *value_; }
    T* operator->() { return &*value_; }
    const T* operator->() const { return &*value_; }

private:
    std::optional<T> value_;
    Status status_;
};

}  // namespace meridia::startup

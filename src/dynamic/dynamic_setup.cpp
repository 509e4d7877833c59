#include "dynamic/dynamic_setup.h"

#include <algorithm>
#include <cstring>
#include <system_error>

#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/messages.h"
#include "startup/settings_store.h"
#include "startup/text_encoding.h"

namespace meridia::dynamic {

namespace {

using startup::Status;
using startup::StatusCode;

constexpr std::size_t kMaxSetupPoints = 100;
constexpr std::size_t kAspectNameBytes = 255;
constexpr std::uint16_t kRecordMark = 1;

void PutU16(std::string& out, std::size_t at, std::uint16_t v) {
    out[at] = static_cast<char>(v & 0xFF);
    out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}

std::uint16_t GetU16(std::string_view in, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(in[at]) |
                                      (static_cast<unsigned char>(in[at + 1]) << 8));
}

void PutF64(std::string& out, std::size_t at, double v) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    for (std::size_t i = 0; i < 8; ++i) {
        out[at + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    }
}

double GetF64(std::string_view in, std::size_t at) {
    std::uint64_t bits = 0;
    for (std::size_t i = 0; i < 8; ++i) {
        bits |= static_cast<std::uint64_t>(static_cast<unsigned char>(in[at + i])) << (8 * i);
    }
    double v = 0.0;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// Record layout after the mark (0..1) and the description (2..41):
//  42 method, 44 progression kind, 46 direction type (16-bit each)
//  48 user arc rate, 56 multiplier (64-bit floats)
//  64 event families (16-bit bit mask), 66 enter/leave, 68 period, 70 unit, 72 use natal
//  74 moving count, 76 target count (16-bit), 78.. 100 moving point bytes, 178.. 100 target
//  point bytes, 278 aspect set name length (16-bit), 280.. 255 bytes of the name; the rest 0.
constexpr std::size_t kMovingAt = 78;
constexpr std::size_t kTargetsAt = 178;
constexpr std::size_t kAspectLengthAt = 278;
constexpr std::size_t kAspectAt = 280;
static_assert(kAspectAt + kAspectNameBytes <= kSetupRecordBytes);

constexpr bool EventFamilies::*kFamilyBits[] = {&EventFamilies::transits_radix,
                                                &EventFamilies::transits_transits,
                                                &EventFamilies::transits_progressions,
                                                &EventFamilies::transits_directions,
                                                &EventFamilies::progressions_radix,
                                                &EventFamilies::progressions_progressions,
                                                &EventFamilies::directions_radix,
                                                &EventFamilies::sign_ingress,
                                                &EventFamilies::house_ingress,
                                                &EventFamilies::stations,
                                                &EventFamilies::parallels_declination,
                                                &EventFamilies::parallels_latitude,
                                                &EventFamilies::eclipses,
                                                &EventFamilies::lunar_phases,
                                                &EventFamilies::void_of_course};

std::string TrimBlanks(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\0')) {
        text.pop_back();
    }
    while (!text.empty() && text.front() == ' ') {
        text.erase(text.begin());
    }
    return text;
}

std::string ReadAll(const std::filesystem::path& path, Status& status) {
    auto bytes = startup::ReadFileLimited(path, kSetupRecordBytes * 10000);
    if (!bytes.ok()) {
        status = bytes.status();
        return {};
    }
    return *bytes;
}

}  // namespace

std::filesystem::path SetupFilePath(std::string_view file_name) {
    return startup::SettingsFilePath(std::filesystem::path(std::string(file_name)));
}

std::string EncodeSetupRecord(std::string_view description, const DynamicSelections& s) {
    std::string out(kSetupRecordBytes, '\0');
    PutU16(out, 0, kRecordMark);
    std::string desc = startup::Utf8ToWindows1252(description);
    desc.resize(kSetupDescriptionBytes, ' ');
    out.replace(2, kSetupDescriptionBytes, desc);
    PutU16(out, 42, static_cast<std::uint16_t>(s.method));
    PutU16(out, 44, static_cast<std::uint16_t>(s.progression_kind));
    PutU16(out, 46, static_cast<std::uint16_t>(s.direction_type));
    PutF64(out, 48, s.user_arc_rate);
    PutF64(out, 56, s.multiplier);
    std::uint16_t mask = 0;
    for (std::size_t i = 0; i < std::size(kFamilyBits); ++i) {
        if (s.families.*kFamilyBits[i]) {
            mask = static_cast<std::uint16_t>(mask | (1U << i));
        }
    }
    PutU16(out, 64, mask);
    PutU16(out, 66, s.enter_leave ? 1 : 0);
    PutU16(out, 68, static_cast<std::uint16_t>(s.period));
    PutU16(out, 70, static_cast<std::uint16_t>(s.period_unit));
    PutU16(out, 72, s.use_natal ? 1 : 0);
    const std::size_t moving = std::min(s.moving.size(), kMaxSetupPoints);
    const std::size_t targets = std::min(s.targets.size(), kMaxSetupPoints);
    PutU16(out, 74, static_cast<std::uint16_t>(moving));
    PutU16(out, 76, static_cast<std::uint16_t>(targets));
    for (std::size_t i = 0; i < moving; ++i) {
        out[kMovingAt + i] = static_cast<char>(s.moving[i]);
    }
    for (std::size_t i = 0; i < targets; ++i) {
        out[kTargetsAt + i] = static_cast<char>(s.targets[i]);
    }
    std::string name = startup::Utf8ToWindows1252(s.aspect_set);
    if (name.size() > kAspectNameBytes) {
        name.resize(kAspectNameBytes);
    }
    PutU16(out, kAspectLengthAt, static_cast<std::uint16_t>(name.size()));
    out.replace(kAspectAt, name.size(), name);
    return out;
}

bool DecodeSetupRecord(std::string_view bytes, SetupEntry& entry) {
    if (bytes.size() != kSetupRecordBytes) {
        return false;
    }
    SetupEntry e;
    e.record = entry.record;
    e.description = TrimBlanks(
        startup::Windows1252ToUtf8(std::string(bytes.substr(2, kSetupDescriptionBytes))));
    DynamicSelections& s = e.selections;
    s.method = GetU16(bytes, 42);
    s.progression_kind = GetU16(bytes, 44);
    s.direction_type = GetU16(bytes, 46);
    s.user_arc_rate = GetF64(bytes, 48);
    s.multiplier = GetF64(bytes, 56);
    const std::uint16_t mask = GetU16(bytes, 64);
    for (std::size_t i = 0; i < std::size(kFamilyBits); ++i) {
        s.families.*kFamilyBits[i] = (mask & (1U << i)) != 0;
    }
    s.enter_leave = GetU16(bytes, 66) != 0;
    s.period = GetU16(bytes, 68);
    s.period_unit = GetU16(bytes, 70);
    s.use_natal = GetU16(bytes, 72) != 0;
    const std::size_t moving = GetU16(bytes, 74);
    const std::size_t targets = GetU16(bytes, 76);
    const std::size_t name_length = GetU16(bytes, kAspectLengthAt);
    if (moving > kMaxSetupPoints || targets > kMaxSetupPoints || name_length > kAspectNameBytes) {
        return false;
    }
    for (std::size_t i = 0; i < moving; ++i) {
        s.moving.push_back(static_cast<unsigned char>(bytes[kMovingAt + i]));
    }
    for (std::size_t i = 0; i < targets; ++i) {
        s.targets.push_back(static_cast<unsigned char>(bytes[kTargetsAt + i]));
    }
    s.aspect_set = startup::Windows1252ToUtf8(std::string(bytes.substr(kAspectAt, name_length)));
    entry = std::move(e);
    return true;
}

startup::StatusOr<std::vector<SetupEntry>> LoadSetupList(const std::filesystem::path& path) {
    Status status;
    const std::string bytes = ReadAll(path, status);
    if (!status.ok()) {
        return status;
    }
    std::vector<SetupEntry> list;
    const std::size_t count = bytes.size() / kSetupRecordBytes;
    for (std::size_t n = 0; n < count; ++n) {
        SetupEntry entry;
        entry.record = static_cast<int>(n + 1);
        const std::string_view record =
            std::string_view(bytes).substr(n * kSetupRecordBytes, kSetupRecordBytes);
        if (!DecodeSetupRecord(record, entry)) {
            // A record whose selections cannot be read still lists its description.
            entry.description = TrimBlanks(
                startup::Windows1252ToUtf8(std::string(record.substr(2, kSetupDescriptionBytes))));
        }
        list.push_back(std::move(entry));
    }
    return list;
}

Status SaveSetup(const std::filesystem::path& path, std::string_view description,
                 const DynamicSelections& selections) {
    Status status;
    std::string bytes = ReadAll(path, status);
    if (!status.ok() && status.code() != StatusCode::kNotFound) {
        startup::ShowMessage(kSaveErrorText, startup::kExclamation, kSaveErrorTitle);
        return Status(StatusCode::kWriteFailed, kSaveErrorText, kSaveErrorTitle, path);
    }
    bytes.resize(bytes.size() / kSetupRecordBytes * kSetupRecordBytes);
    const std::string wanted = TrimBlanks(std::string(description));
    const std::string record = EncodeSetupRecord(wanted, selections);
    std::size_t at = bytes.size();
    for (std::size_t n = 0; n * kSetupRecordBytes < bytes.size(); ++n) {
        const std::string existing = TrimBlanks(startup::Windows1252ToUtf8(
            bytes.substr(n * kSetupRecordBytes + 2, kSetupDescriptionBytes)));
        if (existing == wanted) {
            if (startup::ShowMessage(kConfirmOverwriteText, startup::kYesNo | startup::kQuestion,
                                     kConfirmOverwriteTitle) != startup::kAnswerYes) {
                return Status(StatusCode::kCancelled, "");
            }
            at = n * kSetupRecordBytes;
            break;
        }
    }
    if (at == bytes.size()) {
        bytes += record;
    } else {
        bytes.replace(at, kSetupRecordBytes, record);
    }
    if (Status written = startup::WriteFileSafely(path, bytes); !written.ok()) {
        startup::ShowMessage(kSaveErrorText, startup::kExclamation, kSaveErrorTitle);
        return Status(StatusCode::kWriteFailed, kSaveErrorText, kSaveErrorTitle, path);
    }
    return {};
}

Status DeleteSetup(const std::filesystem::path& path, int record) {
    Status status;
    const std::string bytes = ReadAll(path, status);
    if (!status.ok()) {
        return status;
    }
    const auto count = static_cast<int>(bytes.size() / kSetupRecordBytes);
    if (record < 1 || record > count) {
        return Status(StatusCode::kRefused,
                      "There is no saved selection number " + std::to_string(record) + ".");
    }
    if (startup::ShowMessage(kConfirmDeletionText, startup::kYesNo | startup::kQuestion,
                             kConfirmDeletionTitle) != startup::kAnswerYes) {
        return Status(StatusCode::kCancelled, "");
    }
    std::string kept;
    for (int n = 1; n <= count; ++n) {
        if (n != record) {
            kept += bytes.substr(static_cast<std::size_t>(n - 1) * kSetupRecordBytes,
                                 kSetupRecordBytes);
        }
    }
    // The copy is named "x" + the file name without its last character, then takes the
    // file's name.
    const std::string name = path.filename().string();
    std::string temp_name = "x";
    temp_name.append(name, 0, name.empty() ? 0 : name.size() - 1);
    const std::filesystem::path temp = path.parent_path() / temp_name;
    if (Status written = startup::WriteFileSafely(temp, kept); !written.ok()) {
        return written;
    }
    std::error_code ec;
    std::filesystem::remove(path, ec);
    std::filesystem::rename(temp, path, ec);
    if (ec) {
        return Status(StatusCode::kWriteFailed, "Error during file write:\n" + path.string(), "",
                      path);
    }
    return {};
}

}  // namespace meridia::dynamic

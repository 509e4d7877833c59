#include "startup/ini_file.h"

#include <algorithm>
#include <string>
#include <utility>

#include "startup/file_io.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::startup {

namespace {

// The section name of a "[name]" line, or std::nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line.front() != '[') {
        return std::nullopt;
    }
    line.remove_prefix(1);
    const std::size_t close = line.find(']');
    if (close != std::string_view::npos) {
        line = line.substr(0, close);
    }
    return Trim(line);
}

// The key and raw value of a "key=value" line, or std::nullopt.
std::optional<std::pair<std::string_view, std::string_view>> KeyValue(std::string_view line) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == ';' || trimmed.front() == '[') {
        return std::nullopt;
    }
    const std::size_t eq = trimmed.find('=');
    if (eq == std::string_view::npos) {
        return std::nullopt;
    }
    return std::make_pair(Trim(trimmed.substr(0, eq)), trimmed.substr(eq + 1));
}

// A stored value as a profile read returns it: trimmed, enclosing quotes removed, cut to the
// read buffer, converted to UTF-8.
std::string ProfileValue(std::string_view raw) {
    std::string_view value = Trim(raw);
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    if (value.size() > kProfileValueLength) {
        value = Trim(value.substr(0, kProfileValueLength));
    }
    return Windows1252ToUtf8(value);
}

}  // namespace

bool IniFile::Load(const std::filesystem::path& path) {
    lines_.clear();
    eol_ = "\n";
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        return !ec;
    }
    const std::optional<std::string> bytes = ReadFileBytes(path, kMaxIniFileBytes);
    if (!bytes) {
        return false;
    }
    Parse(*bytes);
    return true;
}

void IniFile::Parse(std::string_view bytes) {
    lines_.clear();
    eol_ = "\n";
    const std::size_t first_lf = bytes.find('\n');
    if (first_lf != std::string_view::npos && first_lf > 0 && bytes[first_lf - 1] == '\r') {
        eol_ = "\r\n";
    }
    for (const std::string_view line : SplitLines(bytes)) {
        lines_.emplace_back(line);
    }
}

std::optional<IniFile::Span> IniFile::FindSection(std::string_view section) const {
    const std::string wanted = Utf8ToWindows1252(Trim(section));
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i]);
        if (name && EqualNoCase(*name, wanted)) {
            std::size_t end = i + 1;
            while (end < lines_.size() && !SectionName(lines_[end])) {
                ++end;
            }
            return Span{i, end};
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> IniFile::FindKey(const Span& span, std::string_view key) const {
    const std::string wanted = Utf8ToWindows1252(Trim(key));
    for (std::size_t i = span.header + 1; i < span.end; ++i) {
        const auto kv = KeyValue(lines_[i]);
        if (kv && EqualNoCase(kv->first, wanted)) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::string> IniFile::Value(std::string_view section, std::string_view key) const {
    const auto span = FindSection(section);
    if (!span) {
        return std::nullopt;
    }
    const auto line = FindKey(*span, key);
    if (!line) {
        return std::nullopt;
    }
    return ProfileValue(KeyValue(lines_[*line])->second);
}

std::string IniFile::Read(std::string_view section, std::string_view key,
                          std::string_view default_text) const {
    std::optional<std::string> value = Value(section, key);
    return value ? std::move(*value) : std::string(default_text);
}

bool IniFile::HasSection(std::string_view section) const {
    return FindSection(section).has_value();
}

std::vector<std::pair<std::string, std::string>> IniFile::Entries(std::string_view section) const {
    std::vector<std::pair<std::string, std::string>> entries;
    const auto span = FindSection(section);
    if (!span) {
        return entries;
    }
    for (std::size_t i = span->header + 1; i < span->end; ++i) {
        const auto kv = KeyValue(lines_[i]);
        if (!kv || kv->first.empty()) {
            continue;
        }
        std::string key = Windows1252ToUtf8(kv->first);
        const bool seen = std::any_of(entries.begin(), entries.end(), [&key](const auto& entry) {
            return EqualNoCase(entry.first, key);
        });
        if (!seen) {
            entries.emplace_back(std::move(key), ProfileValue(kv->second));
        }
    }
    return entries;
}

void IniFile::Write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string key_bytes = Utf8ToWindows1252(Trim(key));
    const std::string value_bytes = Utf8ToWindows1252(value);
    const auto span = FindSection(section);
    if (!span) {
        if (!lines_.empty() && !Trim(lines_.back()).empty()) {
            lines_.emplace_back();
        }
        std::string header(1, '[');
        header.append(Utf8ToWindows1252(Trim(section)));
        header.push_back(']');
        lines_.push_back(std::move(header));
        lines_.push_back(key_bytes + "=" + value_bytes);
        return;
    }
    if (const auto line = FindKey(*span, key)) {
        const std::string spelled(KeyValue(lines_[*line])->first);
        lines_[*line] = spelled + "=" + value_bytes;
        return;
    }
    std::size_t insert_at = span->end;
    while (insert_at > span->header + 1 && Trim(lines_[insert_at - 1]).empty()) {
        --insert_at;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insert_at),
                  key_bytes + "=" + value_bytes);
}

bool IniFile::Remove(std::string_view section, std::string_view key) {
    const auto span = FindSection(section);
    if (!span) {
        return false;
    }
    const auto line = FindKey(*span, key);
    if (!line) {
        return false;
    }
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(*line));
    return true;
}

std::string IniFile::Serialize() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += eol_;
    }
    return out;
}

Status IniFile::Save(const std::filesystem::path& path) const {
    return WriteFileSafely(path, Serialize(), WriteOptions::CreatingFolders());
}

std::string ReadProfileString(const std::filesystem::path& path, std::string_view section,
                              std::string_view key, std::string_view default_text) {
    IniFile file;
    file.Load(path);
    return file.Read(section, key, default_text);
}

bool WriteProfileString(const std::filesystem::path& path, std::string_view section,
                        std::string_view key, std::string_view value) {
    IniFile file;
    if (!file.Load(path)) {
        return false;
    }
    file.Write(section, key, value);
    return file.Save(path).ok();
}

}  // namespace meridia::startup

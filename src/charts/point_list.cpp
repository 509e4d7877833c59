#include "charts/point_list.h"

#include <optional>
#include <string>

#include "startup/text_tools.h"

namespace meridia::charts {

namespace {

constexpr const char* kListTitle = "Point List";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A point number of at most three digits; nothing for any other text.
std::optional<int> PointNumber(std::string_view text) {
    text = startup::Trim(text);
    if (text.empty() || text.size() > 3) {
        return std::nullopt;
    }
    int value = 0;
    for (const char c : text) {
        if (!IsDigit(c)) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

startup::Status Refusal(std::string_view list, std::string_view item, int points_in_use) {
    return {startup::StatusCode::kRefused,
            "The point list \"" + std::string(list) + "\" is not valid: \"" + std::string(item) +
                "\" is not a point number from 1 to " + std::to_string(points_in_use) +
                " or a range of them such as 5-12.",
            kListTitle};
}

}  // namespace

bool IsPointList(std::string_view text) {
    bool digit = false;
    for (const char c : text) {
        if (IsDigit(c)) {
            digit = true;
        } else if (c != ',' && c != '-' && c != ' ' && c != '\t') {
            return false;
        }
    }
    return digit;
}

startup::StatusOr<PointSelection> ParsePointList(std::string_view text, int points_in_use) {
    PointSelection selection;
    std::string_view rest = text;
    while (true) {
        const auto comma = rest.find(',');
        const std::string_view item = startup::Trim(rest.substr(0, comma));
        const auto dash = item.find('-');
        const auto first = PointNumber(item.substr(0, dash));
        const auto last =
            dash == std::string_view::npos ? first : PointNumber(item.substr(dash + 1));
        if (!first || !last || *first < 1 || *last > points_in_use || *first > *last) {
            return Refusal(text, item, points_in_use);
        }
        for (int p = *first; p <= *last; ++p) {
            SelectPoint(selection, p);
        }
        if (comma == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(comma + 1);
    }
    return selection;
}

startup::StatusOr<PointSelection> ReadPointsOption(std::string_view text, SelectionKind kind,
                                                   int points_in_use) {
    if (IsPointList(text)) {
        return ParsePointList(text, points_in_use);
    }
    PointSelection selection;
    const SelectionLoadResult loaded = LoadPointSelection(text, kind, selection, points_in_use);
    if (loaded.loaded) {
        return selection;
    }
    const auto path = SelectionPath(text, kind);
    if (loaded.empty_file) {
        // The loader has shown "Point file ... is empty."
        return startup::Status(startup::StatusCode::kDamaged, "", "", path);
    }
    return startup::Status(startup::StatusCode::kNotFound,
                           "Point file " + path.string() + " could not be loaded.", "", path);
}

}  // namespace meridia::charts

// Wheel style files from their readable text descriptions, and back:
//   meridia_make_wheel_style SOURCE.txt OUTPUT.wh1     text description -> style file
//   meridia_make_wheel_style --export STYLE.wh1 OUTPUT.txt   style file -> text description
// The factory styles are built this way from data/wheels; a user edits a description and
// turns it into a style the program reads. A fault is reported as "SOURCE: what" and no file
// is written.
#include <cstdio>
#include <string>
#include <string_view>

#include "drawing/wheel_style.h"
#include "startup/file_io.h"

namespace {

constexpr std::size_t kMaxDescriptionBytes = std::size_t{1} << 20;

int Fail(const std::string& source, const std::string& what) {
    std::fprintf(stderr, "%s: %s\n", source.c_str(), what.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using meridia::drawing::DecodeWheelStyle;
    using meridia::drawing::EncodeWheelStyle;
    using meridia::drawing::StyleFromText;
    using meridia::drawing::StyleToText;
    namespace startup = meridia::startup;
    const bool do_export = argc == 4 && std::string_view(argv[1]) == "--export";
    if (argc != 3 && !do_export) {
        std::fprintf(stderr,
                     "usage: meridia_make_wheel_style SOURCE.txt OUTPUT\n"
                     "       meridia_make_wheel_style --export STYLE OUTPUT.txt\n");
        return 2;
    }
    const std::string source = argv[do_export ? 2 : 1];
    const std::string output = argv[do_export ? 3 : 2];
    std::string written;
    if (do_export) {
        auto bytes = startup::ReadFileHead(source, meridia::drawing::kStyleRecordBytes);
        if (!bytes.ok()) {
            return Fail(source, "cannot be read");
        }
        auto style = DecodeWheelStyle(*bytes);
        if (!style.ok()) {
            return Fail(source, "not a wheel style of version 1 or 2");
        }
        written = StyleToText(*style);
    } else {
        auto text = startup::ReadFileLimited(source, kMaxDescriptionBytes);
        if (!text.ok()) {
            return Fail(source, "cannot be read");
        }
        auto style = StyleFromText(*text);
        if (!style.ok()) {
            return Fail(source, style.status().message());
        }
        written = EncodeWheelStyle(*style);
    }
    const startup::Status status =
        startup::WriteFileSafely(output, written, startup::WriteOptions::CreatingFolders());
    if (!status.ok()) {
        return Fail(output, status.message());
    }
    return 0;
}

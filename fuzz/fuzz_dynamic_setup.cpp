// Fuzz target: the saved dynamic selections ("dynsetup.fil", "ephsetup.fil"), fixed records of
// 870 bytes. Input: the file's bytes.
// Properties: listing never crashes, leaks or runs away; it lists exactly the whole records, in
// file order; a record that decodes encodes to bytes that decode to the same selections; saving
// a new description appends one record and keeps the others.
#include <cstddef>
#include <cstdint>
#include <string>

#include "dynamic/dynamic_setup.h"
#include "fuzz_session.h"
#include "support/test_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    const std::string_view input = fuzz::AsBytes(data, size);
    const auto path = dynamic::SetupFilePath(dynamic::kDynamicSetupFile);
    meridia::testing::WriteFile(path, input);

    const auto list = dynamic::LoadSetupList(path);
    fuzz::Require(list.ok(), "a written setup file could not be listed");
    const std::size_t count = size / dynamic::kSetupRecordBytes;
    fuzz::Require(list->size() == count, "the list does not hold the whole records");
    for (std::size_t n = 0; n < count; ++n) {
        fuzz::Require((*list)[n].record == static_cast<int>(n + 1), "records out of file order");
        dynamic::SetupEntry entry;
        const std::string_view bytes =
            input.substr(n * dynamic::kSetupRecordBytes, dynamic::kSetupRecordBytes);
        if (!dynamic::DecodeSetupRecord(bytes, entry)) {
            continue;
        }
        const std::string once = dynamic::EncodeSetupRecord(entry.description, entry.selections);
        fuzz::Require(once.size() == dynamic::kSetupRecordBytes, "an encoded record is not 870");
        dynamic::SetupEntry again;
        fuzz::Require(dynamic::DecodeSetupRecord(once, again), "an encoded record is unreadable");
        fuzz::Require(dynamic::EncodeSetupRecord(again.description, again.selections) == once,
                      "a record does not read back to the same selections");
    }

    // A description no record can hold (longer than 40 characters are cut to 40, and this one
    // has a character the file's fixed fields never start with).
    if (dynamic::SaveSetup(path, "~fuzz~", dynamic::DynamicSelections{}).ok()) {
        const auto after = dynamic::LoadSetupList(path);
        fuzz::Require(after.ok(), "a saved setup file could not be listed");
        bool found = false;
        for (const auto& entry : *after) {
            found = found || entry.description == "~fuzz~";
        }
        fuzz::Require(found, "a saved selection is not listed");
        fuzz::Require(after->size() == count + 1 || after->size() == count,
                      "saving changed the other records");
    }
    return 0;
}

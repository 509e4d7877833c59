// Fuzz target: the comment store of the older chart files (".chm", 32-byte blocks chained by
// number, block 1 heading the free list), worked on in memory. Input: the chart's comment
// link (32-bit, little-endian), then the comment file.
// Properties: reading, freeing and storing never crash or run away, whatever the chains and
// the free list hold; a comment stored over a damaged file reads back as written.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

#include "charts/comment_store.h"
#include "fuzz_session.h"

using namespace meridia;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::FuzzSession session;
    std::string_view input = fuzz::AsBytes(data, size);
    std::uint32_t raw_link = 0;
    for (std::size_t i = 0; i < 4 && i < input.size(); ++i) {
        raw_link |= static_cast<std::uint32_t>(static_cast<unsigned char>(input[i])) << (8 * i);
    }
    input.remove_prefix(std::min<std::size_t>(4, input.size()));
    const auto link = static_cast<std::int32_t>(raw_link);

    charts::ReadCommentChain(input, link);

    std::string chm(input);
    std::int32_t new_link = link;
    charts::FreeCommentChain(chm, new_link);
    const std::string text =
        "A comment that takes more than three blocks of the comment file to hold it all";
    charts::StoreCommentChain(chm, new_link, text);
    fuzz::Require(charts::ReadCommentChain(chm, new_link) == text,
                  "a stored comment does not read back");
    return 0;
}

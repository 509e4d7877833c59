// The comment store of the older chart-file formats: a ".chm" file of 32-byte blocks (next
// block number, 32-bit; 28 characters of text). Block 1 heads the list of free blocks; a
// comment is the chain of blocks that starts at the chart's comment link. Chains are cut at
// 1150 blocks, so a damaged chain (a cycle, a wrong number) never runs away.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace meridia::charts {

inline constexpr std::size_t kCommentBlockSize = 32;
inline constexpr std::size_t kCommentTextWidth = 28;
inline constexpr int kMaxCommentBlocks = 1150;

// Operations on the bytes of a comment file held in memory.
// The comment text (UTF-8, right-trimmed) of the chain starting at `first_block`.
std::string ReadCommentChain(std::string_view chm, std::int32_t first_block);
// Frees the chain of `link` (when it is 2 or more) onto the free list; `link` becomes 0.
void FreeCommentChain(std::string& chm, std::int32_t& link);
// Stores a non-empty text in free blocks (then new blocks) and sets `link` to its first
// block. A text longer than 1150 blocks is cut there.
void StoreCommentChain(std::string& chm, std::int32_t& link, std::string_view text);

// The same on a comment file: a missing file reads as empty. Writing replaces the chart's
// comment (frees the old chain, stores the new text) and rewrites the file safely.
std::string ReadChartComment(const std::filesystem::path& chm, std::int32_t link);
bool WriteChartComment(const std::filesystem::path& chm, std::int32_t& link, std::string_view text);

}  // namespace meridia::charts

#include "charts/comment_store.h"

#include <optional>
#include <set>
#include <vector>

#include "charts/chart_record_io.h"
#include "startup/byte_io.h"
#include "startup/file_io.h"
#include "startup/text_encoding.h"
#include "startup/text_tools.h"

namespace meridia::charts {

using startup::ByteReader;
using startup::ByteWriter;

namespace {

std::int32_t BlockCount(std::string_view chm) {
    return static_cast<std::int32_t>(chm.size() / kCommentBlockSize);
}

std::size_t BlockOffset(std::int32_t block) {
    return static_cast<std::size_t>(block - 1) * kCommentBlockSize;
}

std::int32_t NextOf(std::string_view chm, std::int32_t block) {
    ByteReader r(chm.substr(BlockOffset(block), 4));
    return r.I32();
}

void PutBlock(std::string& chm, std::int32_t block, std::int32_t next, std::string_view ansi) {
    ByteWriter w;
    w.I32(next);
    std::string text(ansi.substr(0, kCommentTextWidth));
    text.resize(kCommentTextWidth, ' ');
    w.Raw(text);
    const std::size_t offset = BlockOffset(block);
    if (chm.size() < offset + kCommentBlockSize) {
        chm.resize(offset + kCommentBlockSize, ' ');
    }
    chm.replace(offset, kCommentBlockSize, w.bytes());
}

void SetNext(std::string& chm, std::int32_t block, std::int32_t next) {
    ByteWriter w;
    w.I32(next);
    chm.replace(BlockOffset(block), 4, w.bytes());
}

bool IsDataBlock(std::string_view chm, std::int32_t block) {
    return block >= 2 && block <= BlockCount(chm);
}

}  // namespace

std::string ReadCommentChain(std::string_view chm, std::int32_t first_block) {
    std::string ansi;
    std::int32_t block = first_block;
    for (int steps = 0; steps < kMaxCommentBlocks && block >= 1 && block <= BlockCount(chm);
         ++steps) {
        ansi.append(chm.substr(BlockOffset(block) + 4, kCommentTextWidth));
        block = NextOf(chm, block);
    }
    return startup::DecodeFixedText(ansi);
}

void FreeCommentChain(std::string& chm, std::int32_t& link) {
    if (link < 2 || !IsDataBlock(chm, link) || BlockCount(chm) < 1) {
        link = 0;
        return;
    }
    const std::int32_t old_head = NextOf(chm, 1);
    SetNext(chm, 1, link);
    std::set<std::int32_t> visited;
    std::int32_t block = link;
    for (int steps = 1;; ++steps) {
        visited.insert(block);
        const std::int32_t next = NextOf(chm, block);
        const bool last = next == 0 || !IsDataBlock(chm, next) || visited.count(next) > 0 ||
                          steps >= kMaxCommentBlocks;
        PutBlock(chm, block, last ? old_head : next, "");
        if (last) {
            break;
        }
        block = next;
    }
    link = 0;
}

void StoreCommentChain(std::string& chm, std::int32_t& link, std::string_view text) {
    std::string ansi = startup::Utf8ToWindows1252(text);
    if (ansi.empty()) {
        return;
    }
    const std::size_t max_length = kMaxCommentBlocks * kCommentTextWidth;
    if (ansi.size() > max_length) {
        ansi.resize(max_length);
    }
    if (BlockCount(chm) < 1) {
        chm.clear();
        PutBlock(chm, 1, 0, "");
    }
    const std::size_t pieces = (ansi.size() - 1) / kCommentTextWidth + 1;
    // Choose every block first: free blocks from the head of the free list, then new ones.
    std::vector<std::int32_t> blocks;
    std::set<std::int32_t> chosen;
    std::int32_t head = NextOf(chm, 1);
    std::int32_t last_block = BlockCount(chm);
    for (std::size_t j = 0; j < pieces; ++j) {
        if (head != 0 && IsDataBlock(chm, head) && chosen.count(head) == 0) {
            blocks.push_back(head);
            chosen.insert(head);
            head = NextOf(chm, head);
        } else {
            // A free list that is empty, or damaged, is not followed any further.
            head = 0;
            blocks.push_back(++last_block);
            chosen.insert(last_block);
        }
    }
    for (std::size_t j = 0; j < pieces; ++j) {
        const std::int32_t next = j + 1 < pieces ? blocks[j + 1] : 0;
        PutBlock(chm, blocks[j], next,
                 std::string_view(ansi).substr(j * kCommentTextWidth, kCommentTextWidth));
    }
    if (head != 0 && (!IsDataBlock(chm, head) || chosen.count(head) > 0)) {
        head = 0;
    }
    PutBlock(chm, 1, head, "");
    link = blocks.front();
}

std::string ReadChartComment(const std::filesystem::path& chm, std::int32_t link) {
    if (link <= 0) {
        return {};
    }
    const auto bytes = startup::ReadFileBytes(chm, kMaxChartFileBytes);
    return bytes ? ReadCommentChain(*bytes, link) : std::string();
}

bool WriteChartComment(const std::filesystem::path& chm, std::int32_t& link,
                       std::string_view text) {
    std::error_code ec;
    std::string bytes;
    if (std::filesystem::exists(chm, ec)) {
        auto read = startup::ReadFileBytes(chm, kMaxChartFileBytes);
        if (!read) {
            return false;
        }
        bytes = std::move(*read);
    }
    std::int32_t new_link = link;
    FreeCommentChain(bytes, new_link);
    StoreCommentChain(bytes, new_link, text);
    if (bytes.empty()) {
        link = 0;
        return true;
    }
    if (!startup::WriteFileSafely(chm, bytes).ok()) {
        return false;
    }
    link = new_link;
    return true;
}

}  // namespace meridia::charts

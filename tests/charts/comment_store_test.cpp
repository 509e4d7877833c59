#include "charts/comment_store.h"

#include <gtest/gtest.h>

#include "chart_bytes.h"
#include "support/test_session.h"

namespace meridia::charts {
namespace {

using test::Le32;
using test::Padded;

std::string Block(std::int32_t next, std::string_view text) {
    return Le32(next) + Padded(text, 28);
}

TEST(CommentStore, A57CharacterCommentTakesThreeBlocks) {
    const std::string text = std::string(28, 'a') + std::string(28, 'b') + "c";
    std::string chm;
    std::int32_t link = 0;
    StoreCommentChain(chm, link, text);
    EXPECT_EQ(link, 2);
    EXPECT_EQ(chm, Block(0, "") + Block(3, std::string(28, 'a')) + Block(4, std::string(28, 'b')) +
                       Block(0, "c"));
    EXPECT_EQ(ReadCommentChain(chm, link), text);
}

TEST(CommentStore, FreedBlocksAreReusedBeforeTheFileGrows) {
    const std::string text = std::string(57, 'x');
    std::string chm;
    std::int32_t first = 0;
    std::int32_t second = 0;
    StoreCommentChain(chm, first, text);
    StoreCommentChain(chm, second, "second");
    ASSERT_EQ(second, 5);
    FreeCommentChain(chm, first);
    EXPECT_EQ(first, 0);
    // The three freed blocks head the free list, in chain order, with blank texts.
    EXPECT_EQ(chm.substr(0, 4 * 32), Block(2, "") + Block(3, "") + Block(4, "") + Block(0, ""));
    const std::size_t size = chm.size();
    std::int32_t third = 0;
    StoreCommentChain(chm, third, std::string(40, 'y'));
    EXPECT_EQ(third, 2);
    EXPECT_EQ(chm.size(), size);
    EXPECT_EQ(chm.substr(0, 32), Block(4, ""));  // block 4 is still free
    std::int32_t fourth = 0;
    StoreCommentChain(chm, fourth, std::string(30, 'z'));
    EXPECT_EQ(fourth, 4);
    EXPECT_EQ(chm.size(), size + 32);  // one block reused, one new block
    EXPECT_EQ(ReadCommentChain(chm, fourth), std::string(30, 'z'));
    EXPECT_EQ(ReadCommentChain(chm, second), "second");
    EXPECT_EQ(ReadCommentChain(chm, third), std::string(40, 'y'));
}

TEST(CommentStore, ReplacingAFileCommentRewritesTheChain) {
    meridia::testing::TempDir dir;
    const auto chm = dir.path() / "c.chm";
    std::int32_t link = 0;
    ASSERT_TRUE(WriteChartComment(chm, link, "First text"));
    EXPECT_EQ(link, 2);
    ASSERT_TRUE(WriteChartComment(chm, link, "Second"));
    EXPECT_EQ(link, 2);
    EXPECT_EQ(ReadChartComment(chm, link), "Second");
    ASSERT_TRUE(WriteChartComment(chm, link, ""));
    EXPECT_EQ(link, 0);
    EXPECT_EQ(meridia::testing::ReadFile(chm), Block(2, "") + Block(0, ""));
}

TEST(CommentStore, DamagedChainsAreCut) {
    struct Case {
        const char* what;
        std::string chm;
        std::int32_t link;
        std::string expected;
    };
    std::string long_chain = Block(0, "");
    for (int b = 2; b <= 1201; ++b) {
        long_chain += Block(b + 1, "z");
    }
    const Case cases[] = {
        {"cycle", Block(0, "") + Block(3, "ab") + Block(2, "cd"), 2, ""},
        {"next beyond the end", Block(0, "") + Block(9, "only"), 2, "only"},
        {"negative next", Block(0, "") + Block(-4, "neg"), 2, "neg"},
        {"link beyond the end", Block(0, ""), 7, ""},
        {"truncated block", Block(0, "") + Le32(0) + "abc", 2, ""},
        {"longer than 1150 blocks", long_chain, 2, ""},
    };
    for (const Case& c : cases) {
        const std::string text = ReadCommentChain(c.chm, c.link);
        if (std::string_view(c.what) == "cycle") {
            // 1150 blocks of the two-block cycle, then cut.
            EXPECT_EQ(text.size(), 1150U * 28U - 26U) << c.what;
        } else if (std::string_view(c.what) == "longer than 1150 blocks") {
            EXPECT_EQ(text.size(), 1149U * 28U + 1U) << c.what;
        } else {
            EXPECT_EQ(text, c.expected) << c.what;
        }
    }
}

TEST(CommentStore, FreeingADamagedChainStopsAndKeepsTheFileConsistent) {
    std::string chm = Block(0, "") + Block(3, "ab") + Block(2, "cd") + Block(0, "keep");
    std::int32_t link = 2;
    FreeCommentChain(chm, link);
    EXPECT_EQ(link, 0);
    EXPECT_EQ(chm, Block(2, "") + Block(3, "") + Block(0, "") + Block(0, "keep"));
    // A damaged free list (pointing at itself) is abandoned: new blocks are appended.
    std::string bad = Block(2, "") + Block(2, "");
    std::int32_t fresh = 0;
    StoreCommentChain(bad, fresh, std::string(60, 'q'));
    EXPECT_EQ(ReadCommentChain(bad, fresh), std::string(60, 'q'));
    EXPECT_EQ(bad.substr(0, 4), Le32(0));
}

}  // namespace
}  // namespace meridia::charts

#include "startup/status.h"

#include <gtest/gtest.h>

#include <string>

#include "startup/messages.h"
#include "support/test_session.h"

namespace meridia::startup {
namespace {

using StatusTest = meridia::testing::SessionTest;

TEST_F(StatusTest, DefaultIsSuccessAndShowsNothing) {
    const Status status;
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(status.Show(), 0);
    EXPECT_TRUE(sink().messages().empty());
}

TEST_F(StatusTest, FailureCarriesMessageTitleAndPath) {
    const Status status(StatusCode::kDamaged, "The chart file is damaged.", "Error",
                        "/tmp/a.MDcht");
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.code(), StatusCode::kDamaged);
    EXPECT_EQ(status.path(), "/tmp/a.MDcht");
    EXPECT_EQ(status.Show(kOkOnly), kAnswerOk);
    ASSERT_EQ(sink().messages().size(), 1U);
    EXPECT_EQ(sink().messages()[0].text, "The chart file is damaged.");
    EXPECT_EQ(sink().messages()[0].title, "Error");
}

TEST(StatusOr, HoldsAValueOrTheReasonForNone) {
    const StatusOr<int> value = 42;
    ASSERT_TRUE(value.ok());
    EXPECT_EQ(*value, 42);
    const StatusOr<std::string> none = Status(StatusCode::kNotFound, "missing");
    EXPECT_FALSE(none.ok());
    EXPECT_EQ(none.status().code(), StatusCode::kNotFound);
    EXPECT_EQ(none.status().message(), "missing");
}

}  // namespace
}  // namespace meridia::startup

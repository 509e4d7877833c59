// The texts of a dynamic report's events (the cells of the report window's rows and the lines of
// the listing), the family lists of a job and the method words.
#include "dynamic/event_text.h"

#include <gtest/gtest.h>

#include <string>

#include "aspects/aspect_set.h"
#include "dynamic/dynamic_job.h"
#include "support/test_session.h"

namespace meridia::dynamic {
namespace {

class EventTextTest : public testing::SessionTest {
protected:
    static DynamicSearchRequest Request() {
        DynamicSearchRequest request;
        request.aspect_set = aspects::StandardAspectSet();
        return request;
    }
    // The transiting Sun square the radix Moon, exact at J2000.0 (1 January 2000, 12:00).
    static DynamicEvent SunSquareMoon() {
        DynamicEvent e;
        e.jul_day = 2451545.0;
        e.symbol = kSymExact;
        e.tran_point = 3;
        e.ra_point = 1;
        e.aspect = 4;
        e.tran_pos = 345.5;
        e.ra_pos = 255.5;
        e.weight = 7.5F;
        return e;
    }
    static const std::string& Cell(const EventCells& cells, DynamicSortKey key) {
        return cells[static_cast<std::size_t>(key)];
    }
};

TEST_F(EventTextTest, AnAspectEventFillsEveryCell) {
    const DynamicSearchRequest request = Request();
    const EventCells cells = EventRowCells(request, SunSquareMoon());
    EXPECT_EQ(Cell(cells, DynamicSortKey::kDate), " 1 Jan  2000 12:00:00");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kEvent), "(X)");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kPoint1), "Su");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kPoint2), "Mo");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kWeight), "7.5");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kType), EventTypeText(request, kTypeTransitRadix));
    EXPECT_EQ(Cell(cells, DynamicSortKey::kAspect), "Square");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kPosition1), "15 Pi 30'00\"");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kPosition2), "15 Sg 30'00\"");
}

TEST_F(EventTextTest, EventsWithoutATargetLeaveItsCellsEmpty) {
    DynamicEvent ingress = SunSquareMoon();
    ingress.symbol = kSymHouseIngress;
    ingress.ra_point = 0;
    ingress.aspect = -1;
    ingress.ra_pos = kNoTargetPosition;
    ingress.tran_house = 7;
    ingress.tran_retro = true;
    EventCells cells = EventRowCells(Request(), ingress);
    EXPECT_EQ(Cell(cells, DynamicSortKey::kEvent), "(H)");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kPoint1), "Su R");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kPoint2), "House 7");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kAspect), "");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kPosition2), "");

    // An eclipse or an exact lunar phase shows the exact-event symbol.
    DynamicEvent eclipse = SunSquareMoon();
    eclipse.symbol = kSymOther;
    eclipse.ra_point = 0;
    eclipse.aspect = 99;  // not in the set
    cells = EventRowCells(Request(), eclipse);
    EXPECT_EQ(Cell(cells, DynamicSortKey::kEvent), "(X)");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kPoint2), "");
    EXPECT_EQ(Cell(cells, DynamicSortKey::kAspect), "");
}

TEST_F(EventTextTest, ListingLinePadsTheColumns) {
    EventCells cells;
    cells[static_cast<std::size_t>(DynamicSortKey::kDate)] = "D";
    cells[static_cast<std::size_t>(DynamicSortKey::kEvent)] = "(X)";
    cells[static_cast<std::size_t>(DynamicSortKey::kPoint1)] = "Sun";
    cells[static_cast<std::size_t>(DynamicSortKey::kPoint2)] = "Moon";
    cells[static_cast<std::size_t>(DynamicSortKey::kWeight)] = "7.5";
    cells[static_cast<std::size_t>(DynamicSortKey::kType)] = "Tr";
    cells[static_cast<std::size_t>(DynamicSortKey::kAspect)] = "Square";
    cells[static_cast<std::size_t>(DynamicSortKey::kPosition1)] = "P1";
    cells[static_cast<std::size_t>(DynamicSortKey::kPosition2)] = "P2";
    // Date, symbol, point 1 (6 wide), position 1 (12), aspect (16), point 2 (8), position 2
    // (12), type; the weight is not listed.
    const std::string expected = std::string("D  (X) ") + "Sun   " + " " + "P1          " + " " +
                                 "Square          " + " " + "Moon    " + " " + "P2          " +
                                 " " + "Tr";
    EXPECT_EQ(EventListingLine(cells), expected);
}

TEST_F(EventTextTest, FamilyListsReadBackIntoTheSameFamilies) {
    for (const auto& [word, member] : kEventFamilyWords) {
        EventFamilies one;
        one.*member = true;
        EXPECT_EQ(FamilyListText(one), std::string(word));
        EventFamilies read;
        std::string bad;
        ASSERT_TRUE(ParseFamilies(FamilyListText(one), read, bad)) << bad;
        EXPECT_EQ(read, one) << word;
    }
    EventFamilies two;
    two.stations = true;
    two.transits_radix = true;
    EXPECT_EQ(FamilyListText(two), "transits-radix,stations");
    EXPECT_EQ(FamilyListText(EventFamilies{}), "");
}

TEST_F(EventTextTest, MethodWordsAreTheJobsWords) {
    struct Row {
        int method;
        const char* word;
    };
    const Row rows[] = {
        {kMethodTransits, "transits"},
        {kMethodProgressions, "progressions"},
        {kMethodDirections, "directions"},
        {kMethodTransitsToProgressions, "transits-to-progressions"},
        {kMethodTransitsToDirections, "transits-to-directions"},
        {-7, "transits"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(DynamicMethodWordOf(row.method), row.word) << row.method;
    }
}

}  // namespace
}  // namespace meridia::dynamic

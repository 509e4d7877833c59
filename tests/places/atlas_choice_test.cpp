// How chart entry lists the atlas cities of one name for the user to choose from.
#include "places/atlas_choice.h"

#include <gtest/gtest.h>

#include "support/test_session.h"

namespace meridia::places {
namespace {

class AtlasChoiceTest : public testing::SessionTest {};

TEST_F(AtlasChoiceTest, ChoiceTextNamesStateCountryAndCoordinates) {
    AtlasCity city;
    city.name = "Neustadt";
    city.state = "Hesse";
    city.country = "Germany";
    city.latitude = 50.85;     // 50°51' N
    city.longitude = -9.1167;  // 9°07' E (west positive)
    EXPECT_EQ(AtlasCityChoiceText(city),
              "Neustadt, Hesse, Germany  50\xC2\xB0N51' 009\xC2\xB0"
              "E07'");
    city.state.clear();
    city.latitude = -33.5;   // 33°30' S
    city.longitude = 70.25;  // 70°15' W
    EXPECT_EQ(AtlasCityChoiceText(city), "Neustadt, Germany  33\xC2\xB0S30' 070\xC2\xB0W15'");
}

}  // namespace
}  // namespace meridia::places

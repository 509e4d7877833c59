#include "factory_text.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

#include "support/test_session.h"

namespace meridia::tools {
namespace {

using testing::ReadFile;
using testing::SessionTest;
using testing::WriteFile;

const std::filesystem::path kSource = "set.asp.txt";

// `text` with the first `from` replaced by `to`.
std::string Replaced(std::string text, std::string_view from, std::string_view to) {
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) {
        text.replace(at, from.size(), to);
    }
    return text;
}

std::string AspectSection(int number, const std::string& name, const std::string& extra = "") {
    return "[aspect " + std::to_string(number) + "]\nname = " + name +
           "\nabbreviation = Ab\nglyph = 65\nangle = 51.4286\nweight = 40\nharmonic = 7\n"
           "enabled = no\ncolour = 0x00FF80\nline_style = 3\n"
           "luminary_applying = natal 6, progressed 1.5, transits 0.25\n"
           "other_applying = natal 5, progressed 1, transits 1\n"
           "luminary_separating = natal 4, progressed 1, transits 1\n"
           "other_separating = natal 3, progressed 1, transits 1\n" +
           extra;
}

// A header (lines 1-7) and two aspects (lines 8-21 and 22-35), then the ratios (36-38).
std::string TwoAspectSource(const std::string& after_header = "",
                            const std::string& ratios = "[ratios]\ndefault = 1\npoint 3 = 0.5\n") {
    return "# a comment\n"
           "version = 1\n"
           "description = Mine: \xC3\xA9toiles\n"
           "orb_method = 1\n"
           "moieties = yes\n"
           "three_d = no\n"
           "unidirectional = yes\n" +
           after_header + AspectSection(1, "Septile") + AspectSection(2, "Parallel") + ratios;
}

TEST(ParseAspectSetSource, ReadsEveryNamedField) {
    const auto set = ParseAspectSetSource(TwoAspectSource(), kSource);
    ASSERT_TRUE(set.ok()) << set.status().message();
    EXPECT_EQ(set->header.version, 1);
    EXPECT_EQ(set->header.description, "Mine: \xC3\xA9toiles");
    EXPECT_EQ(set->header.orb_method, aspects::kOrbPlanetRatios);
    EXPECT_TRUE(set->header.moieties);
    EXPECT_FALSE(set->header.three_d);
    EXPECT_TRUE(set->header.unidirectional);
    ASSERT_EQ(set->Count(), 2);
    const aspects::AspectRecord& a = set->Aspect(1);
    EXPECT_EQ(a.number, 1);
    EXPECT_EQ(a.name, "Septile");
    EXPECT_EQ(a.abbreviation, "Ab");
    EXPECT_EQ(a.glyph, 65);
    EXPECT_EQ(a.angle, 51.4286);
    EXPECT_EQ(a.weight, 40);
    EXPECT_EQ(a.harmonic, 7.0F);
    EXPECT_FALSE(a.enabled);
    EXPECT_EQ(a.colour, 0x00FF80);
    EXPECT_EQ(a.line_style, 3);
    using Orbs = std::array<double, 3>;
    EXPECT_EQ(a.orbs[0], (Orbs{6.0, 1.5, 0.25}));
    EXPECT_EQ(a.orbs[1], (Orbs{5.0, 1.0, 1.0}));
    EXPECT_EQ(a.orbs[2], (Orbs{4.0, 1.0, 1.0}));
    EXPECT_EQ(a.orbs[3], (Orbs{3.0, 1.0, 1.0}));
    EXPECT_EQ(set->Aspect(2).name, "Parallel");
    EXPECT_EQ(set->ratios[1], 1.0F);
    EXPECT_EQ(set->ratios[3], 0.5F);
    EXPECT_EQ(set->ratios[100], 1.0F);
}

struct BadSource {
    const char* label;
    std::string text;
    std::string message;  // after "set.asp.txt:"
};

TEST(ParseAspectSetSource, NamesTheFileAndLineOfAFault) {
    const BadSource cases[] = {
        {"unknown field", TwoAspectSource("colour = 0x000000\n"),
         "8: unknown field \"colour\" in the header"},
        {"missing field", "version = 1\n", "1: the header has no field \"description\""},
        {"field twice", TwoAspectSource("orb_method = 0\n"),
         "8: field \"orb_method\" given twice (first on line 4)"},
        {"decimal comma", TwoAspectSource("", "[ratios]\ndefault = 0,5\n"),
         "37: \"default\": \"0,5\" is not a number of 0 or more"},
        {"not a number", TwoAspectSource("", "[ratios]\ndefault = nan\n"),
         "37: \"default\": \"nan\" is not a number of 0 or more"},
        {"angle out of range", Replaced(TwoAspectSource(), "angle = 51.4286", "angle = 181"),
         "12: \"angle\": \"181\" is not a number from 0 to 180"},
        {"yes or no", Replaced(TwoAspectSource(), "moieties = yes", "moieties = true"),
         "5: \"moieties\" is yes or no, not \"true\""},
        {"sections out of order", Replaced(TwoAspectSource(), "[aspect 2]", "[aspect 3]"),
         "22: expected [aspect 2] here"},
        {"name too long",
         Replaced(TwoAspectSource(), "name = Septile", "name = AVeryLongAspectNameIndeed"),
         "9: \"name\" is longer than 20 characters"},
        {"orbs", Replaced(TwoAspectSource(), "natal 5, progressed 1", "natal 5 progressed 1"),
         "19: \"other_applying\" is written \"natal X, progressed Y, transits Z\""},
        {"no ratios", TwoAspectSource("", ""),
         "22: the aspects are followed by one [ratios] section, the last"},
        {"colour", Replaced(TwoAspectSource(), "0x00FF80", "00FF80"),
         "16: \"colour\" is written 0xBBGGRR, not \"00FF80\""},
        {"no equals sign", Replaced(TwoAspectSource(), "weight = 40", "weight 40"),
         "13: expected \"field = value\", found \"weight 40\""},
    };
    for (const BadSource& c : cases) {
        SCOPED_TRACE(c.label);
        const auto set = ParseAspectSetSource(c.text, kSource);
        ASSERT_FALSE(set.ok());
        EXPECT_EQ(set.status().message(), "set.asp.txt:" + c.message);
        EXPECT_EQ(set.status().path(), kSource);
    }
}

std::string PointSource(const std::string& third_name = "Sun") {
    return "[point 1]\nname = Moon\nselected = yes\n\n"
           "[point 2]\nname = Earth\nselected = no\n\n"
           "[point 3]\nname = " +
           third_name + "\nselected = yes\n";
}

TEST(ParsePointSelectionSource, ReadsOneSectionPerRecord) {
    const auto source = ParsePointSelectionSource(PointSource(), "three.pts.txt");
    ASSERT_TRUE(source.ok()) << source.status().message();
    EXPECT_EQ(source->points, 3);
    EXPECT_TRUE(source->table.geocentric[1]);
    EXPECT_FALSE(source->table.geocentric[2]);
    EXPECT_TRUE(source->table.geocentric[3]);
    EXPECT_EQ(source->table.geocentric_count, 2);
}

TEST(ParsePointSelectionSource, RefusesANameThatIsNotThePointsName) {
    const auto source = ParsePointSelectionSource(PointSource("Mars"), "three.pts.txt");
    ASSERT_FALSE(source.ok());
    EXPECT_EQ(source.status().message(),
              "three.pts.txt:10: point 3 is named \"Sun\", not \"Mars\"");
}

class MakeFactoryFileTest : public SessionTest {};

TEST_F(MakeFactoryFileTest, WritesASelectionRecordByRecord) {
    const auto source = temp() / "three.pts.txt";
    WriteFile(source, PointSource());
    const auto output = temp() / "three.pts";
    ASSERT_TRUE(MakeFactoryFile(source, output).ok());
    // Three 22-byte records: the name blank-padded to 20 characters, then -1 or 0.
    std::string expected;
    for (const auto& [name, flag] :
         {std::pair<std::string, char>{"Moon", '\xFF'}, {"Earth", '\0'}, {"Sun", '\xFF'}}) {
        expected += name + std::string(20 - name.size(), ' ') + flag + flag;
    }
    EXPECT_EQ(ReadFile(output), expected);
}

TEST_F(MakeFactoryFileTest, AFaultySourceWritesNoFile) {
    const auto source = temp() / "bad.asp.txt";
    WriteFile(source, "version = 2\n");
    const auto output = temp() / "bad.asp";
    const auto status = MakeFactoryFile(source, output);
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.message(),
              source.string() + ":1: \"version\" is 1, the layout the program writes");
    EXPECT_FALSE(std::filesystem::exists(output));

    const auto unknown = MakeFactoryFile(source, temp() / "bad.xyz");
    EXPECT_EQ(unknown.message(),
              (temp() / "bad.xyz").string() + ": no factory file kind has this extension");
}

}  // namespace
}  // namespace meridia::tools

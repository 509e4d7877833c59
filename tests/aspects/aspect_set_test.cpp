#include "aspects/aspect_set.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "startup/messages.h"
#include "support/test_session.h"
#include "support/write_failure.h"

namespace meridia::aspects {
namespace {

using testing::FactoryDir;
using testing::ReadFile;
using testing::SessionTest;
using testing::WriteFile;

// Little-endian bytes written one field at a time, independently of the reader under test.
class Bytes {
public:
    Bytes& I16(int v) {
        const auto u = static_cast<std::uint16_t>(v);
        s_.push_back(static_cast<char>(u & 0xFF));
        s_.push_back(static_cast<char>(u >> 8));
        return *this;
    }
    Bytes& I32(std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int i = 0; i < 4; ++i) {
            s_.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
        }
        return *this;
    }
    Bytes& F32(float v) {
        std::uint32_t u = 0;
        std::memcpy(&u, &v, 4);
        return I32(static_cast<std::int32_t>(u));
    }
    Bytes& F64(double v) {
        std::uint64_t u = 0;
        std::memcpy(&u, &v, 8);
        for (int i = 0; i < 8; ++i) {
            s_.push_back(static_cast<char>((u >> (8 * i)) & 0xFF));
        }
        return *this;
    }
    Bytes& Text(const std::string& t, std::size_t width) {
        std::string f = t;
        f.resize(width, ' ');
        s_ += f;
        return *this;
    }
    Bytes& Byte(int b) {
        s_.push_back(static_cast<char>(b));
        return *this;
    }
    const std::string& str() const { return s_; }

private:
    std::string s_;
};

void AppendRecord(Bytes& b, int number, const std::string& name, const std::string& abbr,
                  double angle, bool enabled, double orb) {
    b.I16(number).Text(name, 20).Text(abbr, 4).Byte(0x41).F64(angle).I16(77).F32(3.0F);
    b.I16(enabled ? -1 : 0).I32(0x123456).I16(2);
    for (int group = 0; group < 4; ++group) {
        // Natal orb grows with the group so that a swapped group shows: orb, orb+1, orb+2...
        b.F64(orb + group).F64(0.5).F64(0.25);
    }
}

// The standard set as the program's documentation lists it: name, abbreviation and natal
// orb of each aspect, in set order.
struct ListedAspect {
    const char* name;
    const char* abbreviation;
    double natal_orb;
};
constexpr ListedAspect kListed[] = {
    {"Conjunction", "Cnj", 9},
    {"Opposition", "Opp", 9},
    {"Trine", "Tri", 9},
    {"Square", "Sqr", 9},
    {"Sextile", "Sxt", 4},
    {"Semisquare", "SSq", 2},
    {"Sesquisquare", "Sqq", 2.5},
    {"Semisextile", "SSx", 1.5},
    {"Quincunx", "Qnx", 2.5},
    {"Quintile", "Qnt", 2},
    {"BiQuintile", "BQnl", 2},
    {"Decile", "Dec", 1.5},
    {"SesquiQuintile", "SqQn", 1.5},
    {"Septile", "Spt", 1.5},
    {"BiSeptile", "BSpt", 1.5},
    {"TriSeptile", "TSpt", 1.5},
    {"Novile", "Nov", 1.5},
    {"BiNovile", "BNv", 1.5},
    {"QuadriNovile", "QNv", 1.5},
    {"Undecile", "Und", 1.5},
    {"BiUndecile", "BiUn", 1.5},
    {"TriUndecile", "TrUn", 1.5},
    {"QuadriUndecile", "QaUn", 1.5},
    {"QuinqueUndecile", "QiUn", 1.5},
    {"Parallel", "Pll", 1},
    {"ContraParallel", "Cpl", 1},
};

TEST(StandardAspectSet, HeaderIsTheStandardOne) {
    const AspectSet set = StandardAspectSet();
    EXPECT_EQ(set.header.version, 1);
    EXPECT_EQ(set.header.description, "Standard Aspect Set");
    EXPECT_EQ(set.header.orb_method, kOrbLuminaryOther);
    EXPECT_FALSE(set.header.moieties);
    EXPECT_FALSE(set.header.three_d);
    EXPECT_FALSE(set.header.unidirectional);
    for (int p = 1; p <= kMaxRatioPoints; ++p) {
        EXPECT_EQ(set.ratios[static_cast<std::size_t>(p)], 1.0F) << p;
    }
}

TEST(StandardAspectSet, NamesAndOrbsAreTheListedOnes) {
    const AspectSet set = StandardAspectSet();
    ASSERT_EQ(set.Count(), static_cast<int>(std::size(kListed)));
    for (int k = 1; k <= set.Count(); ++k) {
        const ListedAspect& listed = kListed[k - 1];
        const AspectRecord& a = set.Aspect(k);
        SCOPED_TRACE(listed.name);
        EXPECT_EQ(a.number, k);
        EXPECT_EQ(a.name, listed.name);
        EXPECT_EQ(a.abbreviation, listed.abbreviation);
        // Every group holds the natal orb and 1 degree for progressed charts and transits.
        for (const auto& group : a.orbs) {
            EXPECT_EQ(group, (std::array<double, 3>{listed.natal_orb, 1.0, 1.0}));
        }
    }
    EXPECT_EQ(set.Aspect(set.ParallelNumber()).name, "Parallel");
    EXPECT_EQ(set.Aspect(set.ContraParallelNumber()).name, "ContraParallel");
}

// A longitude aspect's angle is n steps of 360/harmonic, n prime to the harmonic (the
// harmonic is the aspect's own, not a multiple of it). The sevenths and elevenths are stored
// as decimals of four places at most, so they lie within half a unit of the fourth place.
TEST(StandardAspectSet, EachAngleIsAWholeNumberOfItsHarmonicSteps) {
    const AspectSet set = StandardAspectSet();
    std::vector<double> angles;
    for (int k = 1; k <= set.LongitudeCount(); ++k) {
        const AspectRecord& a = set.Aspect(k);
        SCOPED_TRACE(a.name);
        ASSERT_EQ(a.harmonic, std::round(a.harmonic));
        const int harmonic = static_cast<int>(a.harmonic);
        ASSERT_GE(harmonic, 1);
        const double step = 360.0 / harmonic;
        const double steps = std::round(a.angle / step);
        EXPECT_NEAR(a.angle, steps * step, 0.5e-3);
        EXPECT_EQ(std::gcd(static_cast<int>(steps), harmonic), 1);
        EXPECT_GE(a.angle, 0.0);
        EXPECT_LE(a.angle, 180.0);
        angles.push_back(a.angle);
    }
    std::sort(angles.begin(), angles.end());
    EXPECT_EQ(std::adjacent_find(angles.begin(), angles.end()), angles.end())
        << "two aspects share an angle";
    // The parallels are found by declination: their angle is 0, their harmonics 1 and 2.
    EXPECT_EQ(set.Aspect(set.ParallelNumber()).angle, 0.0);
    EXPECT_EQ(set.Aspect(set.ParallelNumber()).harmonic, 1.0F);
    EXPECT_EQ(set.Aspect(set.ContraParallelNumber()).angle, 0.0);
    EXPECT_EQ(set.Aspect(set.ContraParallelNumber()).harmonic, 2.0F);
}

// Enabled are the aspects whose harmonic divides 24 (the conjunction, opposition, trine,
// square, sextile, the eighths and twelfths) and the parallels; the quintiles, deciles,
// septiles, noviles and undeciles are off.
TEST(StandardAspectSet, OnlyTheAspectsOfHarmonicsDividing24AreEnabled) {
    const AspectSet set = StandardAspectSet();
    for (int k = 1; k <= set.Count(); ++k) {
        const AspectRecord& a = set.Aspect(k);
        SCOPED_TRACE(a.name);
        EXPECT_EQ(a.enabled, 24 % static_cast<int>(a.harmonic) == 0);
        EXPECT_GE(a.weight, 6);
        EXPECT_LE(a.weight, 100);
        EXPECT_GE(a.line_style, 0);
        EXPECT_LE(a.line_style, 4);
        EXPECT_GE(a.colour, 0);
        EXPECT_LE(a.colour, 0xFFFFFF);
    }
}

TEST(BuildActiveAspects, SortsEnabledAspectsByAngleAndFindsLargestOrbs) {
    AspectSet set = StandardAspectSet();
    // Enabled longitude aspects by angle: Cnj 0, SSx 30, SSq 45, Sxt 60, Sqr 90, Tri 120,
    // Sqq 135, Qnx 150, Opp 180.
    const std::vector<int> first_nine = {1, 8, 6, 5, 4, 3, 7, 9, 2};
    EXPECT_EQ(set.active.enabled_count, 9);
    EXPECT_EQ(std::vector<int>(set.active.sorted.begin(), set.active.sorted.begin() + 9),
              first_nine);
    EXPECT_EQ(set.active.sorted.size(), 24U);  // the 24 longitude aspects
    EXPECT_EQ(set.active.max_orb[0], 9.0);
    EXPECT_EQ(set.active.max_orb[1], 1.0);
    EXPECT_EQ(set.active.max_orb[2], 1.0);
    EXPECT_TRUE(set.active.equal_orbs);

    // Quintile (72) enabled: it sorts between the sextile (60) and the square (90).
    set.aspects[9].enabled = true;
    // A transit orb of 3.5 in the other-separating group of the square: largest transit orb,
    // and applying and separating orbs no longer agree.
    set.aspects[3].orbs[3][2] = 3.5;
    BuildActiveAspects(set);
    EXPECT_EQ(set.active.enabled_count, 10);
    EXPECT_EQ(set.active.sorted[3], 5);
    EXPECT_EQ(set.active.sorted[4], 10);
    EXPECT_EQ(set.active.sorted[5], 4);
    EXPECT_EQ(set.active.max_orb[2], 3.5);
    EXPECT_FALSE(set.active.equal_orbs);

    // A disabled aspect's unequal orbs do not count.
    AspectSet other = StandardAspectSet();
    other.aspects[12].orbs[2][0] = 7.0;
    BuildActiveAspects(other);
    EXPECT_TRUE(other.active.equal_orbs);
    EXPECT_EQ(other.active.max_orb[0], 9.0);
}

class AspectFileTest : public SessionTest {};

TEST_F(AspectFileTest, ReadsAFileBuiltByteByByte) {
    Bytes b;
    b.I16(1).Text("Three aspects", 80).I16(1).I16(-1).I16(0).I16(-1).I16(3);
    AppendRecord(b, 1, "Conjunction", "Cnj", 0.0, true, 6.0);
    AppendRecord(b, 2, "Parallel", "Pll", 0.0, true, 1.0);
    AppendRecord(b, 3, "ContraParallel", "Cpl", 0.0, false, 1.0);
    b.F32(1.25F).F32(0.5F).F32(2.0F);  // ratios of points 1..3 only
    ASSERT_EQ(b.str().size(), 92U + 3U * 145U + 12U);
    const auto path = temp() / "three.asp";
    WriteFile(path, b.str());

    AspectSet set = StandardAspectSet();
    ASSERT_TRUE(LoadAspectSet(path, true, set).ok());
    EXPECT_TRUE(sink().messages().empty());
    EXPECT_EQ(set.header.description, "Three aspects");
    EXPECT_EQ(set.header.orb_method, 1);
    EXPECT_TRUE(set.header.moieties);
    EXPECT_FALSE(set.header.three_d);
    EXPECT_TRUE(set.header.unidirectional);
    ASSERT_EQ(set.Count(), 3);
    const AspectRecord& cnj = set.Aspect(1);
    EXPECT_EQ(cnj.name, "Conjunction");
    EXPECT_EQ(cnj.abbreviation, "Cnj");
    EXPECT_EQ(cnj.glyph, 0x41);
    EXPECT_EQ(cnj.weight, 77);
    EXPECT_EQ(cnj.harmonic, 3.0F);
    EXPECT_EQ(cnj.colour, 0x123456);
    EXPECT_EQ(cnj.line_style, 2);
    EXPECT_TRUE(cnj.enabled);
    // Groups in file order: luminary applying, other applying, luminary separating, other
    // separating; within a group natal, progressed, transits.
    EXPECT_EQ(cnj.Orb(OrbGroup::kLuminaryApplying, kOrbNatal), 6.0);
    EXPECT_EQ(cnj.Orb(OrbGroup::kOtherApplying, kOrbNatal), 7.0);
    EXPECT_EQ(cnj.Orb(OrbGroup::kLuminarySeparating, kOrbNatal), 8.0);
    EXPECT_EQ(cnj.Orb(OrbGroup::kOtherSeparating, kOrbNatal), 9.0);
    EXPECT_EQ(cnj.Orb(OrbGroup::kOtherSeparating, kOrbProgressed), 0.5);
    EXPECT_EQ(cnj.Orb(OrbGroup::kOtherSeparating, kOrbTransit), 0.25);
    EXPECT_FALSE(set.Aspect(3).enabled);
    EXPECT_EQ(set.ratios[1], 1.25F);
    EXPECT_EQ(set.ratios[2], 0.5F);
    EXPECT_EQ(set.ratios[3], 2.0F);
    EXPECT_EQ(set.ratios[4], 1.0F);  // not in the file: the standard set's ratio
    EXPECT_EQ(set.active.enabled_count, 1);
    EXPECT_EQ(set.active.max_orb[0], 9.0);
    EXPECT_FALSE(set.active.equal_orbs);
}

TEST_F(AspectFileTest, SaveThenLoadGivesTheSameSet) {
    AspectSet set = StandardAspectSet();
    set.header.description = "Mine: \xC3\xA9toiles";  // "é" survives as Windows-1252
    set.header.orb_method = 2;
    set.header.three_d = true;
    set.aspects[4].orbs[1][2] = 3.75;
    set.aspects[10].enabled = true;
    set.aspects[10].glyph = 0xB5;
    set.ratios[50] = 0.375F;
    BuildActiveAspects(set);
    const auto path = temp() / "mine.asp";
    const auto names_before = testing::NamesIn(temp());
    ASSERT_TRUE(SaveAspectSet(path, set));
    EXPECT_EQ(ReadFile(path).size(), 92U + 26U * 145U + 100U * 4U);
    EXPECT_EQ(testing::NamesIn(temp()).count("mine.asp"), 1U);
    EXPECT_EQ(testing::NamesIn(temp()).size(), 1U + names_before.size());

    AspectSet loaded;
    ASSERT_TRUE(LoadAspectSet(path, true, loaded).ok());
    EXPECT_EQ(loaded.header, set.header);
    EXPECT_EQ(loaded.aspects, set.aspects);
    EXPECT_EQ(loaded.ratios, set.ratios);
    EXPECT_EQ(loaded.active, set.active);
}

TEST_F(AspectFileTest, FactoryStandardFileHoldsTheStandardSet) {
    // The factory files were written by a separate generator; the standard one must equal
    // the built-in set byte for byte.
    EXPECT_EQ(ReadFile(FactoryDir() / "Aspects" / "standard.asp"),
              EncodeAspectSet(StandardAspectSet()));
    for (const char* name : {"stars.asp", "asteroid.asp", "parts.asp"}) {
        AspectSet set;
        EXPECT_TRUE(LoadAspectSet(FactoryDir() / "Aspects" / name, true, set).ok()) << name;
        EXPECT_EQ(set.Count(), 26) << name;
        EXPECT_TRUE(set.Aspect(1).enabled) << name;
    }
}

TEST_F(AspectFileTest, OlderLayoutReadsFlagsAndOrbsOverTheStandardSet) {
    Bytes b;
    // Record 1: disabled, every orb 5; record 2: enabled, every orb 7 (twelve singles each).
    b.I16(0);
    for (int i = 0; i < 12; ++i) {
        b.F32(5.0F);
    }
    b.I16(-1);
    for (int i = 0; i < 12; ++i) {
        b.F32(7.0F);
    }
    ASSERT_EQ(b.str().size(), 100U);
    const auto path = temp() / "old.asp";
    WriteFile(path, b.str());
    AspectSet set;
    ASSERT_TRUE(LoadAspectSet(path, true, set).ok());
    EXPECT_EQ(set.header.description, "Edit this description in the Aspect Editor - old.asp");
    ASSERT_EQ(set.Count(), 26);
    EXPECT_FALSE(set.Aspect(1).enabled);
    EXPECT_EQ(set.Aspect(1).Orb(OrbGroup::kOtherSeparating, kOrbTransit), 5.0);
    EXPECT_TRUE(set.Aspect(2).enabled);
    EXPECT_EQ(set.Aspect(2).Orb(OrbGroup::kLuminaryApplying, kOrbNatal), 7.0);
    EXPECT_EQ(set.Aspect(3).Orb(OrbGroup::kLuminaryApplying, kOrbNatal), 9.0);  // untouched
    EXPECT_EQ(set.Aspect(3).name, "Trine");
}

struct Refusal {
    const char* label;
    std::string bytes;
    bool missing;
    std::string text_after_name;  // empty: no message
    std::string title;
    int style;
    startup::StatusCode code;
};

TEST_F(AspectFileTest, RefusalsKeepThePreviousSet) {
    Bytes wrong_version;
    wrong_version.I16(2).Text("future", 80);
    Bytes truncated;
    truncated.I16(1).Text("short", 80).I16(0).I16(0).I16(0).I16(0).I16(26);
    AppendRecord(truncated, 1, "Conjunction", "Cnj", 0, true, 9);
    // One byte more than the header, 32767 records (the most a 16-bit count allows) and the
    // ratios of 100 points.
    const std::string too_long(92 + 32767 * 145 + 100 * 4 + 1, '\0');
    const std::string damaged =
        " is damaged. Your previous aspect selection will remain in effect until you edit "
        "this file or select another file.";
    using startup::StatusCode;
    const Refusal cases[] = {
        {"missing", "", true, "", "", 0, StatusCode::kNotFound},
        {"empty", "", false,
         " is empty. Your previous aspect selection will remain in effect until you edit this "
         "file or select another file which is not empty.",
         "Empty File", startup::kOkOnly, StatusCode::kDamaged},
        {"wrong version", wrong_version.str(), false,
         " has an invalid version number. Your previous aspect selection will remain in effect "
         "until you edit this file or select another file.",
         "Wrong Version", startup::kExclamation, StatusCode::kWrongVersion},
        {"damaged", truncated.str(), false, damaged, "Damaged File", startup::kExclamation,
         StatusCode::kDamaged},
        {"too long", too_long, false, damaged, "Damaged File", startup::kExclamation,
         StatusCode::kDamaged},
    };
    for (const Refusal& c : cases) {
        SCOPED_TRACE(c.label);
        const auto path = temp() / (std::string(c.label) + ".asp");
        if (!c.missing) {
            WriteFile(path, c.bytes);
        }
        AspectSet set = StandardAspectSet();
        set.header.description = "previous";
        const AspectSet before = set;
        sink().Clear();
        const startup::Status status = LoadAspectSet(path, true, set);
        EXPECT_EQ(status.code(), c.code);
        EXPECT_EQ(status.path(), path);
        EXPECT_EQ(set.header, before.header);
        EXPECT_EQ(set.aspects, before.aspects);
        if (c.text_after_name.empty()) {
            // Not shown; the status words it for a caller that reports it.
            EXPECT_TRUE(sink().messages().empty());
            EXPECT_EQ(status.message(), "Aspect file " + path.string() + " could not be loaded.");
        } else {
            EXPECT_EQ(status.message(), "Aspect file " + path.string() + c.text_after_name);
            EXPECT_EQ(status.title(), c.title);
            ASSERT_EQ(sink().messages().size(), 1U);
            EXPECT_EQ(LastMessage().text, "Aspect file " + path.string() + c.text_after_name);
            EXPECT_EQ(LastMessage().title, c.title);
            EXPECT_EQ(LastMessage().style, c.style);
        }
        sink().Clear();
        EXPECT_FALSE(LoadAspectSet(path, false, set).ok());
        EXPECT_TRUE(sink().messages().empty());
    }
}

TEST_F(AspectFileTest, HostileBytesNeverCrashTheReader) {
    std::mt19937 rng(7U);
    const auto path = temp() / "noise.asp";
    for (int round = 0; round < 300; ++round) {
        const auto size = std::uniform_int_distribution<std::size_t>(1, 5000)(rng);
        std::string bytes(size, '\0');
        for (char& c : bytes) {
            c = static_cast<char>(std::uniform_int_distribution<int>(0, 255)(rng));
        }
        if (round % 2 == 0 && size >= 2) {
            bytes[0] = 1;  // a version-1 header over noise
            bytes[1] = 0;
        }
        WriteFile(path, bytes);
        AspectSet set = StandardAspectSet();
        if (LoadAspectSet(path, false, set).ok()) {
            ASSERT_GE(set.Count(), 2);
            EXPECT_LE(set.active.enabled_count, set.Count() - 2);
            // The walk over the active table stays inside the set.
            for (int i = 0; i < set.active.enabled_count; ++i) {
                const int k = set.active.sorted[static_cast<std::size_t>(i)];
                EXPECT_TRUE(k >= 1 && k <= set.Count() - 2);
            }
        } else {
            EXPECT_EQ(set.header.description, "Standard Aspect Set");
        }
    }
}

}  // namespace
}  // namespace meridia::aspects

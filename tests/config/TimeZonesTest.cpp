#include <gtest/gtest.h>

#include <cstddef>
#include <optional>
#include <string_view>

#include "config/TimeZones.h"

namespace karvola {
namespace {

TEST(TimeZonesTest, EntriesAndBiasesMeetAtBothEndsOfEachHalf) {
    struct Case {
        std::size_t index;
        int bias;
        std::string_view entry;
    };
    const Case cases[] = {
        {0, 0, "GMT+0 (London, Dublin, Lisbon)"},
        {1, 1, "GMT+1 (Berlin, Prague, Vienna, Warsaw)"},
        {12, 12, "GMT+12 (Majuro, Suva)"},
        {13, -11, "GMT-11 (Apia, Midway)"},
        {19, -5, "GMT-5 (New York)"},
        {23, -1, "GMT-1 (Ponta Delgada, Praia)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        EXPECT_EQ(TimeZones::kEntries.at(c.index), c.entry);
        EXPECT_EQ(TimeZones::biasOf(c.index), c.bias);
        EXPECT_EQ(TimeZones::indexOf(c.bias), c.index);
    }
}

TEST(TimeZonesTest, EveryEntryIsFoundAgainByItsBias) {
    for (std::size_t index = 0; index < TimeZones::kCount; ++index) {
        const std::optional<int> bias = TimeZones::biasOf(index);
        ASSERT_TRUE(bias.has_value()) << index;
        EXPECT_EQ(TimeZones::indexOf(*bias), index);
    }
}

TEST(TimeZonesTest, NothingOutsideTheList) {
    for (const int bias : {-12, 13, -24, 24, -100}) {
        EXPECT_EQ(TimeZones::indexOf(bias), std::nullopt) << bias;
    }
    EXPECT_EQ(TimeZones::biasOf(TimeZones::kCount), std::nullopt);
}

}  // namespace
}  // namespace karvola

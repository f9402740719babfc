#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

namespace karvola {

// The time-zone pick list of the environment settings: whole-hour biases from
// UTC, east of Greenwich first, then west.
class TimeZones final {
public:
    static constexpr std::size_t kCount = 24;
    static constexpr int kWestmostBias = -11;
    static constexpr int kEastmostBias = 12;

    static constexpr std::array<std::string_view, kCount> kEntries = {
        "GMT+0 (London, Dublin, Lisbon)",
        "GMT+1 (Berlin, Prague, Vienna, Warsaw)",
        "GMT+2 (Ankara, Athens, Helsinki)",
        "GMT+3 (Moscow, Riyadh)",
        "GMT+4 (Muscat)",
        "GMT+5 (Islamabad)",
        "GMT+6 (New Delhi)",
        "GMT+7 (Jakarta)",
        "GMT+8 (Beijing, Manila, Kuala Lumpur, Perth)",
        "GMT+9 (Tokio)",
        "GMT+10 (Melbourne)",
        "GMT+11 (Honiara, Palikir)",
        "GMT+12 (Majuro, Suva)",
        "GMT-11 (Apia, Midway)",
        "GMT-10 (Honolulu, Papeete, Avarua)",
        "GMT-9 (Juneau)",
        "GMT-8 (Los Angeles)",
        "GMT-7 (Denver)",
        "GMT-6 (Chicago)",
        "GMT-5 (New York)",
        "GMT-4 (St. John's, Caracas, Santiago)",
        "GMT-3 (Brasilia, Buenos Aires, Nuuk)",
        "GMT-2 (Mid Atlantic)",
        "GMT-1 (Ponta Delgada, Praia)",
    };

    // Hours east of UTC of an entry; nothing for an index past the list.
    [[nodiscard]] static std::optional<int> biasOf(std::size_t index);
    // The entry of a bias; nothing outside -11..+12.
    [[nodiscard]] static std::optional<std::size_t> indexOf(int bias);
};

}  // namespace karvola

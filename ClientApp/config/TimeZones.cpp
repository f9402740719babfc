#include "config/TimeZones.h"

namespace karvola {

namespace {
// Entries from here on lie west of Greenwich, -11 first.
constexpr std::size_t kFirstWestern = TimeZones::kEastmostBias + 1;
constexpr int kHoursInDay = 24;
}  // namespace

std::optional<int> TimeZones::biasOf(std::size_t index) {
    if (index >= kCount) return std::nullopt;
    const int hours = static_cast<int>(index);
    return index < kFirstWestern ? hours : hours - kHoursInDay;
}

std::optional<std::size_t> TimeZones::indexOf(int bias) {
    if (bias < kWestmostBias || bias > kEastmostBias) return std::nullopt;
    return static_cast<std::size_t>(bias >= 0 ? bias : bias + kHoursInDay);
}

}  // namespace karvola

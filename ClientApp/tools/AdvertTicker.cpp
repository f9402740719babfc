#include "tools/AdvertTicker.h"

namespace karvola {

std::optional<Advert> ParseAdvert(std::string_view body) {
    constexpr std::string_view kOpen = "[url]";
    constexpr std::string_view kClose = "[/url]";
    const auto close = body.find(kClose);
    const auto open = body.find(kOpen);
    if (close == std::string_view::npos || open == std::string_view::npos || open == 0) return std::nullopt;
    Advert advert;
    advert.text = body.substr(0, open);
    // A "[/url]" before the "[url]" closes nothing: the text stays, without a link.
    if (open + kOpen.size() <= close) advert.link = body.substr(open + kOpen.size(), close - open - kOpen.size());
    return advert;
}

bool AdvertTicker::tick() {
    if (m_state != State::Waiting) return false;
    if (++m_advertTicks != m_advertPeriod) return false;
    m_advertTicks = 0;
    return true;
}

std::optional<Advert> AdvertTicker::downloaded(const std::optional<std::string>& body) {
    if (m_state != State::Waiting || !body) return std::nullopt;
    auto advert = ParseAdvert(*body);
    if (!advert) return std::nullopt;
    m_state = State::Showing;
    m_scrollOffset = 0;
    m_advertPeriod = kLaterPeriod;
    return advert;
}

AdvertTicker::Step AdvertTicker::scroll(int panelWidth, int labelWidth) {
    if (m_state != State::Showing) return {panelWidth, true};
    Step step{panelWidth - m_scrollOffset, false};
    m_scrollOffset += kScrollStep;
    if (m_scrollOffset >= panelWidth + labelWidth + kScrollMargin) {
        step.finished = true;
        m_scrollOffset = 0;
        m_state = State::Waiting;
    }
    return step;
}

}  // namespace karvola

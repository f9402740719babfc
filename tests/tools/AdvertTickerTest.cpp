#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tools/AdvertTicker.h"

namespace karvola {
namespace {

TEST(ParseAdvert, TakesTheTextBeforeTheLinkAndTheLinkBetweenItsTags) {
    struct Case {
        const char* body;
        std::optional<Advert> advert;
    };
    const Case cases[] = {
        {"Odds![url]https://example.org/[/url]\r\n", Advert{"Odds!", "https://example.org/"}},
        {"Odds![url][/url]", Advert{"Odds!", ""}},
        {"Odds! [url]a[/url] more [url]b[/url]", Advert{"Odds! ", "a"}},
        {"Odds![/url] then [url]late", Advert{"Odds![/url] then ", ""}},
        {"Odds! without a closing tag[url]https://example.org/", std::nullopt},
        {"Odds! without an opening tag[/url]", std::nullopt},
        {"[url]https://example.org/[/url]", std::nullopt},
        {"Odds![URL]x[/URL]", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        const auto advert = ParseAdvert(c.body);
        ASSERT_EQ(advert.has_value(), c.advert.has_value()) << c.body;
        if (advert) {
            EXPECT_EQ(advert->text, c.advert->text) << c.body;
            EXPECT_EQ(advert->link, c.advert->link) << c.body;
        }
    }
}

int TicksUntilDownload(AdvertTicker& ticker) {
    for (int ticks = 1; ticks <= 10'000; ++ticks) {
        if (ticker.tick()) return ticks;
    }
    return -1;
}

TEST(AdvertTicker, AsksEveryMinuteUntilAnAdvertIsShownThenEveryElevenMinutes) {
    AdvertTicker ticker;
    EXPECT_EQ(TicksUntilDownload(ticker), 60);
    EXPECT_EQ(ticker.downloaded(std::nullopt), std::nullopt);  // no service
    EXPECT_EQ(TicksUntilDownload(ticker), 60);
    EXPECT_EQ(ticker.downloaded(std::string("nothing to show")), std::nullopt);
    EXPECT_EQ(ticker.period(), 60);
    EXPECT_EQ(TicksUntilDownload(ticker), 60);

    const auto advert = ticker.downloaded(std::string("Odds![url]https://example.org/[/url]"));
    ASSERT_TRUE(advert.has_value());
    EXPECT_EQ(ticker.state(), AdvertTicker::State::Showing);
    EXPECT_FALSE(ticker.tick());  // the one-second timer is off while the text scrolls
    while (!ticker.scroll(100, 40).finished) {
    }
    EXPECT_EQ(ticker.state(), AdvertTicker::State::Waiting);
    EXPECT_EQ(TicksUntilDownload(ticker), 666);
}

TEST(AdvertTicker, ScrollsTwoPixelsAStepUntilTheTextHasLeftThePanel) {
    AdvertTicker ticker;
    ASSERT_TRUE(ticker.downloaded(std::string("Odds![url][/url]")));
    const int panel = 100;
    const int label = 40;
    int steps = 0;
    AdvertTicker::Step step;
    do {
        step = ticker.scroll(panel, label);
        EXPECT_EQ(step.labelLeft, panel - 2 * steps);
        ++steps;
    } while (!step.finished);
    // The offset reaches 100 + 40 + 5 = 145 at the 73rd step (146).
    EXPECT_EQ(steps, 73);
    EXPECT_EQ(ticker.scrollOffset(), 0);
}

TEST(AdvertTicker, HideEndsEverythingForTheRestOfTheRun) {
    AdvertTicker ticker;
    ticker.hide();
    EXPECT_EQ(TicksUntilDownload(ticker), -1);
    EXPECT_EQ(ticker.downloaded(std::string("Odds![url][/url]")), std::nullopt);
    EXPECT_TRUE(ticker.scroll(100, 40).finished);
    EXPECT_EQ(ticker.state(), AdvertTicker::State::Hidden);
}

}  // namespace
}  // namespace karvola

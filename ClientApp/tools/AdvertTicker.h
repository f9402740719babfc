#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace karvola {

// One advert from the service: the text that scrolls and the link it opens.
struct Advert {
    std::string text;
    std::string link;  // may be empty: the text then cannot be clicked
};

// The advert in a body of "/advert.txt": the text before "[url]", the link
// between "[url]" and "[/url]" (first occurrences, case significant). Nothing
// without "[/url]", without "[url]" or with an empty text.
[[nodiscard]] std::optional<Advert> ParseAdvert(std::string_view body);

// The advert line's clock, without its widgets. It waits, counting the ticks of
// a one-second timer, and asks for a download every period (a minute at first,
// about eleven minutes once an advert has been shown); an advert then scrolls by
// two pixels a step until it has left the panel, and waiting starts again.
// "Hide" ends both for the rest of the run.
class AdvertTicker final {
public:
    enum class State { Waiting, Showing, Hidden };

    static constexpr int kFirstPeriod = 60;
    static constexpr int kLaterPeriod = 666;
    static constexpr int kScrollStep = 2;
    // How far beyond the panel's left edge the text goes before it counts as gone.
    static constexpr int kScrollMargin = 5;

    // A tick of the one-second timer while waiting; true when a download is due.
    bool tick();
    // The outcome of a download (nothing when it failed): the advert to show, if
    // any. Showing one starts the scrolling and lengthens the period.
    std::optional<Advert> downloaded(const std::optional<std::string>& body);

    struct Step {
        int labelLeft = 0;      // where the text's left side goes now
        bool finished = false;  // it has left the panel: waiting again
    };
    // One step of the scrolling.
    Step scroll(int panelWidth, int labelWidth);
    void hide() { m_state = State::Hidden; }

    [[nodiscard]] State state() const { return m_state; }
    [[nodiscard]] int ticks() const { return m_advertTicks; }
    [[nodiscard]] int period() const { return m_advertPeriod; }
    [[nodiscard]] int scrollOffset() const { return m_scrollOffset; }

private:
    State m_state = State::Waiting;
    int m_advertTicks = 0;
    int m_advertPeriod = kFirstPeriod;
    int m_scrollOffset = 0;
};

}  // namespace karvola

#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <variant>

#include "common/TerminalSink.h"
#include "common/wvector.h"
#include "config/MatchConfig.h"
#include "database/OpenDataBase.h"
#include "database/ResearchDomainModel.h"
#include "terminal/CommandDispatcher.h"
#include "upcoming/UpcomingExchange.h"
#include "upcoming/UpcomingListing.h"
#include "upcoming/UpcomingMatchDBMS.h"
#include "web/HttpClient.h"

namespace karvola {

// Where the listing of upcoming matches is shown: the window, or the headless
// terminal's table.
class UpcomingMatchesView {
public:
    virtual ~UpcomingMatchesView() = default;
    // Before a command evaluates its rule: the view closes and shows nothing.
    virtual void closeAndClear() = 0;
    // The listing has been filled: show its rows.
    virtual void showListing() = 0;
};

// Runs the exchange's transfer, the one step that waits on the network, and
// then the rest of the command with its reply. The rest must run on the
// command's thread, after any lines the command wrote before.
class ExchangeRunner {
public:
    virtual ~ExchangeRunner() = default;
    virtual void run(std::function<UpcomingExchange::Reply()> transfer,
                     std::function<void(UpcomingExchange::Reply)> rest) = 0;
};

// A view for a front end that shows no listing.
class UnseenUpcomingMatchesView final : public UpcomingMatchesView {
public:
    void closeAndClear() override {}
    void showListing() override {}
};

// Transfers at once, on the command's thread: the headless terminal and tests.
class ImmediateExchangeRunner final : public ExchangeRunner {
public:
    void run(std::function<UpcomingExchange::Reply()> transfer,
             std::function<void(UpcomingExchange::Reply)> rest) override {
        rest(transfer());
    }
};

// What a front end lends the upcoming commands.
struct UpcomingFrontEnd {
    UpcomingMatchesView& view;
    IdentityKeyPrompt& keyPrompt;
    ExchangeRunner& runner;
};

// The commands upcoming and pe_upcoming: a betting rule applied to the
// matches the web service lists as upcoming.
class UpcomingCommands final {
public:
    UpcomingCommands(TerminalSink& sink, MatchConfig& config, const Clock& clock, HttpClient& http, FileSystem& files,
                     std::filesystem::path applicationDirectory, ServiceHost host,
                     const ResearchDomainModel& researchDomain, const OpenDataBase& dataBase);

    UpcomingCommands(const UpcomingCommands&) = delete;
    UpcomingCommands& operator=(const UpcomingCommands&) = delete;

    void Register(CommandDispatcher& dispatcher);
    // Until a front end attaches, the listing is shown nowhere, the key is never
    // asked for and the transfer runs at once.
    void attachFrontEnd(UpcomingFrontEnd frontEnd);
    // Back to the stand-ins, before the front end's pieces go.
    void detachFrontEnd();

    [[nodiscard]] const UpcomingMatchDBMS& model() const { return m_model; }
    [[nodiscard]] const UpcomingListing& listing() const { return m_listing; }
    [[nodiscard]] UpcomingListing& listing() { return m_listing; }

private:
    using Rule = std::variant<wvector, std::string>;  // upcoming's wvector or pe_upcoming's expression

    void run(Rule rule);
    void continueWith(const Rule& rule, bool downloaded);
    [[nodiscard]] UpcomingDomainFilter domainFilter() const;
    [[nodiscard]] std::vector<UpcomingDecisionEntry> decide(const Rule& rule) const;

    TerminalSink& m_sink;
    MatchConfig& m_config;
    HttpClient& m_http;
    UpcomingExchange m_exchange;
    const ResearchDomainModel& m_researchDomain;
    const OpenDataBase& m_dataBase;
    UpcomingMatchDBMS m_model;
    UpcomingListing m_listing;
    UnseenUpcomingMatchesView m_unseen;
    NoIdentityKeyPrompt m_noPrompt;
    ImmediateExchangeRunner m_immediate;
    // Lent by the front end, or the stand-ins above.
    UpcomingMatchesView* m_view = &m_unseen;
    IdentityKeyPrompt* m_keyPrompt = &m_noPrompt;
    ExchangeRunner* m_runner = &m_immediate;
};

}  // namespace karvola

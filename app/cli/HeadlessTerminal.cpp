#include "HeadlessTerminal.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>
#include <utility>

#include "StakesCommand.h"

namespace karvola::cli {

namespace {

void Diagnostic(const std::string& text) {
    std::fprintf(stderr, "karvola-cli: %s\n", text.c_str());
}

std::vector<std::string> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    std::istringstream stream{std::string(text)};
    for (std::string word; stream >> word;) words.push_back(word);
    return words;
}

std::string Join(const std::vector<std::string>& cells, std::string_view separator) {
    std::string line;
    for (std::size_t i = 0; i < cells.size(); ++i) {
        if (i > 0) line += separator;
        line += cells[i];
    }
    return line;
}

}  // namespace

bool MissingKeyNotice::askForKey(karvola::MatchConfig&) {
    Diagnostic("no Unique Indentity Key, so no upcoming matches were downloaded: give one with --key KEY or :key KEY");
    return false;
}

void MetaCommands::add(std::string name, std::string usage, Handler handler, Argument argument) {
    m_entries.insert_or_assign(std::move(name), Entry{std::move(usage), std::move(handler), argument});
}

bool MetaCommands::run(std::string_view line) const {
    const auto blank = line.find(' ');
    const std::string_view name = line.substr(0, blank);
    const auto entry = m_entries.find(name);
    if (entry == m_entries.end()) return false;

    std::string_view argument = blank == std::string_view::npos ? std::string_view{} : line.substr(blank + 1);
    if (entry->second.argument == Argument::Trimmed) {
        while (!argument.empty() && argument.front() == ' ') argument.remove_prefix(1);
        while (!argument.empty() && argument.back() == ' ') argument.remove_suffix(1);
    }
    entry->second.handler(argument);
    return true;
}

std::vector<std::string> MetaCommands::helpLines() const {
    std::vector<std::string> lines;
    for (const auto& [name, entry] : m_entries) lines.push_back(entry.usage);
    return lines;
}

void StartupGate::appendLine(std::string_view line) {
    {
        const std::lock_guard lock(m_mutex);
        if (m_holdBack) {
            m_heldBack.emplace_back(line);
            return;
        }
    }
    m_target.appendLine(line);
}

void StartupGate::clearScreen() {
    m_target.clearScreen();
}

std::vector<std::string> StartupGate::open() {
    const std::lock_guard lock(m_mutex);
    m_holdBack = false;
    return std::exchange(m_heldBack, {});
}

HeadlessTerminal::HeadlessTerminal(HeadlessSettings settings, karvola::TerminalSink& sink, karvola::FileSystem& files,
                                   const karvola::Clock& clock, karvola::HttpClient& http)
    : m_settings(std::move(settings)),
      m_files(files),
      m_sink(sink, m_settings.quiet),
      m_workstation({m_settings.applicationDirectory, m_settings.decimalSeparator, m_settings.service}, m_sink, files,
                    clock, http),
      m_changes(isatty(STDERR_FILENO) != 0),
      m_dataBaseCreation(
          m_sink, files, clock,
          {.absolutePath = [this](std::string_view path) { return absolutePath(path); },
           .messageBox = [this](std::string_view caption, std::string_view text) { messageBox(caption, text); },
           .diagnostic = Diagnostic,
           .showProgress = isatty(STDERR_FILENO) != 0}) {
    m_workstation.attachObserver(&m_changes);
    m_workstation.terminal().dispatcher().attach(
        "quit", [this](const karvola::CommandArguments&) { m_quitRequested = m_workstation.mayClose(m_closeDialogs); });
    // The windows of the Bets Preview and the chart become a table and a picture.
    m_workstation.terminal().dispatcher().attach("sbp", [this](const karvola::CommandArguments&) {
        for (const auto& line : karvola::FormatBetsPreviewTable(m_workstation.strategy().simulation().rows)) {
            m_sink.appendLine(line);
        }
    });
    m_workstation.terminal().dispatcher().attach("sch", [this](const karvola::CommandArguments&) { saveChart(); });
    m_workstation.upcoming().attachFrontEnd({m_upcomingPrinter, m_noKeyPrompt, m_immediateExchange});
    if (m_settings.identityKey) m_workstation.config().SetUIDKey(*m_settings.identityKey);
    addMetaCommands();
}

HeadlessTerminal::~HeadlessTerminal() {
    m_workstation.upcoming().detachFrontEnd();
    m_workstation.attachObserver(nullptr);
}

void HeadlessTerminal::Changes::historyCleared() {
    if (onHistoryCleared) onHistoryCleared();
}

// The progress bar and its hint: one line rewritten in place, gone once the search ends.
void HeadlessTerminal::Changes::optimizationProgress(int percent) {
    const std::lock_guard lock(m_mutex);
    m_percent = percent;
    drawProgress();
}

void HeadlessTerminal::Changes::optimizationHint(const std::string& hint) {
    const std::lock_guard lock(m_mutex);
    m_hint = hint;
    drawProgress();
}

void HeadlessTerminal::Changes::optimizationEnded() {
    const std::lock_guard lock(m_mutex);
    if (m_showProgress) std::fputs("\r\x1b[K", stderr);
}

void HeadlessTerminal::Changes::drawProgress() const {
    if (m_showProgress) std::fprintf(stderr, "\r\x1b[K[opt %3d%%] %s", m_percent, m_hint.c_str());
}

void HeadlessTerminal::waitForOptimization() {
    m_workstation.optimizer().wait();
}

void HeadlessTerminal::interruptOptimization() {
    auto& flags = m_workstation.terminal().flags();
    if (flags.IsOptimizing()) flags.BreakRequested = true;
}

void HeadlessTerminal::stop() {
    m_workstation.terminal().stopRequest().request();
    m_dataBaseCreation.stop();
    interruptOptimization();
}

void HeadlessTerminal::startUp() {
    const karvola::LoadResult loaded = m_workstation.startUp(m_settings.dataBase);
    // A quiet start holds its lines back, the configuration's warnings among them.
    if (m_settings.quiet) {
        for (const auto& warning : m_workstation.startUpWarnings()) Diagnostic(warning);
        if (const auto warning = m_workstation.directoryWarning()) Diagnostic(*warning);
    }
    m_sink.open();
    if (!m_settings.quiet || loaded.loaded() || !m_workstation.dataBase().hasName()) return;
    // A quiet start says nothing, unless the data base it was asked to load failed.
    const std::string& file = m_workstation.dataBase().fileName();
    if (!loaded.message.empty()) Diagnostic(loaded.message + " (" + file + ")");
    if (loaded.code == -2) Diagnostic("not a data base: " + file);
}

void HeadlessTerminal::followHistory(std::function<void(const std::string&)> onLine, std::function<void()> onCleared) {
    m_onHistoryLine = std::move(onLine);
    m_changes.onHistoryCleared = std::move(onCleared);
}

void HeadlessTerminal::run(LineSource& source, karvola::Terminal::Echo echo) {
    const karvola::StopRequest& stopped = m_workstation.terminal().stopRequest();
    while (!m_quitRequested && !stopped.requested()) {
        const auto line = source.nextLine();
        if (!line) break;
        handleLine(*line, echo);
    }
}

void HeadlessTerminal::finish() {
    const std::lock_guard lock(m_lineMutex);
    if (m_finished) return;
    m_finished = true;
    if (!m_workstation.saveConfiguration()) Diagnostic("could not save the configuration");
}

void HeadlessTerminal::handleLine(const std::string& line, karvola::Terminal::Echo echo) {
    const std::lock_guard lock(m_lineMutex);
    // Once the program is ending, a line read meanwhile does not run.
    if (m_finished || m_workstation.terminal().stopRequest().requested()) return;
    if (!line.empty() && line.front() == ':') {
        if (!m_metaCommands.run(line)) Diagnostic("unknown meta-command '" + line + "' (type :help for the list)");
        return;
    }
    if (!line.empty() && m_onHistoryLine) m_onHistoryLine(line);
    m_workstation.terminal().enterLine(line, echo);
}

// A message box becomes its caption + " : " + its text, one line per line of the text.
void HeadlessTerminal::messageBox(std::string_view caption, std::string_view text) {
    std::string line = std::string(caption) + " : ";
    for (const char c : text) {
        if (c != '\n') {
            line.push_back(c);
            continue;
        }
        m_sink.appendLine(line);
        line.clear();
    }
    m_sink.appendLine(line);
}

void HeadlessTerminal::CloseDialogs::refuse(std::string_view caption, std::string_view text) {
    m_terminal.messageBox(caption, text);
}

// Nobody can answer the save question here: the answer is No, as when the box is closed.
karvola::Workstation::SaveAnswer HeadlessTerminal::CloseDialogs::askToSave(std::string_view caption,
                                                                           std::string_view text) {
    m_terminal.messageBox(caption, text);
    return karvola::Workstation::SaveAnswer::No;
}

std::string HeadlessTerminal::absolutePath(std::string_view path) const {
    return std::filesystem::absolute(std::filesystem::path(path)).lexically_normal().string();
}

void HeadlessTerminal::addMetaCommands() {
    const auto needsPath = [](std::string_view argument, std::string_view name) {
        if (!argument.empty()) return true;
        Diagnostic(std::string(name) + " needs a file name");
        return false;
    };
    m_metaCommands.add(":help", ":help                  this list", [this](std::string_view) {
        for (const auto& line : m_metaCommands.helpLines()) m_sink.appendLine(line);
    });
    m_metaCommands.add(":wait", ":wait                  wait until a running optimization has ended",
                       [this](std::string_view) { waitForOptimization(); });
    m_metaCommands.add(":walkforward", karvola::kWalkForwardHelp, [this](std::string_view argument) {
        if (const auto usage = m_workstation.validation().walkForwardCommand(argument)) Diagnostic(*usage);
    });
    m_metaCommands.add(":significance", karvola::kSignificanceHelp, [this](std::string_view argument) {
        if (const auto usage = m_workstation.validation().significanceCommand(argument)) Diagnostic(*usage);
    });
    m_metaCommands.add(":risk", karvola::kRiskHelp,
                       [this](std::string_view) { m_workstation.validation().writeRisk(); });
    m_metaCommands.add(":options", ":options [TEXT]        show or set the 12 display options of the reports",
                       [this](std::string_view argument) { showOptions(argument); });
    m_metaCommands.add(":bets", ":bets FILE             export the Bets Preview as CSV",
                       [this, needsPath](std::string_view argument) {
                           if (needsPath(argument, ":bets")) exportBets(argument);
                       });
    m_metaCommands.add(":load", ":load FILE             File > Load Data Base...",
                       [this, needsPath](std::string_view argument) {
                           if (needsPath(argument, ":load")) m_workstation.dataBase().open(absolutePath(argument));
                       });
    m_metaCommands.add(":save", ":save [FILE]           save the data base (as FILE)",
                       [this](std::string_view argument) { save(argument); });
    m_metaCommands.add(":export30", ":export30 FILE         export the data base in the 3.0 format",
                       [this, needsPath](std::string_view argument) {
                           if (needsPath(argument, ":export30"))
                               m_workstation.dataBase().exportAs30(absolutePath(argument));
                       });
    m_metaCommands.add(":categories", ":categories            the categories of the data base, numbered",
                       [this](std::string_view) { showCategories(); });
    m_metaCommands.add(":select", ":select N ... | all    build the research domain from those categories",
                       [this](std::string_view argument) { selectCategories(argument); });
    m_metaCommands.add(":props", ":props LO HI BND       Options > General Properties... with these values",
                       [this](std::string_view argument) { setProperties(argument); });
    m_metaCommands.add(":preview", ":preview               View > Preview Research Domain...",
                       [this](std::string_view) { showPreview(); });
    m_metaCommands.add(":status",
                       ":status                what the main window's General group shows, and the service host",
                       [this](std::string_view) { showStatus(); });
    m_metaCommands.add(":hide", ":hide N                hide listed upcoming match N for the rest of the run",
                       [this](std::string_view argument) { hideUpcomingMatch(argument); });
    m_metaCommands.add(":key", ":key [KEY]             show or set the Unique Indentity Key of upcoming matches",
                       [this](std::string_view argument) { identityKey(argument); });
    m_metaCommands.add(":convert", ":convert SOURCE BASE TZ BOOKMAKER... | all   Tools > Database Creation Wizard...",
                       [this](std::string_view arguments) { m_dataBaseCreation.convert(arguments); });
    m_metaCommands.add(
        ":import",
        ":import [-z H] [--fixtures] SOURCE CSV|FOLDER...   football-data.co.uk CSV files into a data source",
        [this](std::string_view arguments) { m_dataBaseCreation.import(arguments); });
    m_metaCommands.add(":stakes", ":stakes CB R1 R2 ODDS...   Tools > Betting Manager: the stakes of simultaneous bets",
                       [this](std::string_view arguments) {
                           PrintStakes(arguments, m_sink,
                                       {.messageBox = [this](std::string_view caption,
                                                             std::string_view text) { messageBox(caption, text); },
                                        .diagnostic = Diagnostic});
                       });
    // A bookmaker's key is its list item as shown, blanks and all.
    m_metaCommands.add(
        ":bookmaker", ":bookmaker NAME        the bookmaker directory's link, state and rating of NAME",
        [this](std::string_view name) {
            if (name.empty()) {
                Diagnostic(":bookmaker needs a name");
                return;
            }
            showBookmaker(name);
        },
        MetaCommands::Argument::Verbatim);
}

void HeadlessTerminal::save(std::string_view argument) {
    if (!argument.empty()) {
        m_workstation.dataBase().saveAs(absolutePath(argument));
        return;
    }
    if (!m_workstation.dataBase().save()) Diagnostic("the data base has no file name yet: use :save FILE");
}

void HeadlessTerminal::showOptions(std::string_view argument) {
    if (argument.empty()) {
        m_sink.appendLine(m_workstation.config().GetResultPeResultOptions());
        return;
    }
    if (argument.size() != 12 || argument.find_first_not_of("01") != std::string_view::npos) {
        Diagnostic(":options needs twelve characters 0 or 1, e.g. 110000111110");
        return;
    }
    m_workstation.config().SetResultPeResultOptions(std::string(argument));
}

void HeadlessTerminal::exportBets(std::string_view argument) {
    const std::string path = absolutePath(argument);
    const std::string csv = karvola::FormatBetsPreviewCsv(m_workstation.strategy().simulation().rows);
    if (!karvola::WriteFileAtomically(m_files, path, csv)) Diagnostic("could not write " + path);
}

void HeadlessTerminal::saveChart() {
    const auto path = m_settings.applicationDirectory / "WorkSpace" / "bankroll_chart.svg";
    const std::string svg = karvola::RenderBankrollChartSvg(m_workstation.strategy().simulation().points, false);
    if (!karvola::WriteFileAtomically(m_files, path, svg)) {
        Diagnostic("could not write " + path.string());
        return;
    }
    Diagnostic("bankroll chart saved to " + path.string());
}

void HeadlessTerminal::showCategories() {
    int number = 0;
    for (const auto& choice : m_workstation.domainCommands().categoryChoices()) {
        char prefix[32];
        std::snprintf(prefix, sizeof prefix, "%3d [%c] ", ++number, choice.marked ? 'x' : ' ');
        m_sink.appendLine(prefix + choice.name + "(" + std::to_string(choice.count) + ")");
    }
}

void HeadlessTerminal::selectCategories(std::string_view argument) {
    const auto choices = m_workstation.domainCommands().categoryChoices();
    std::vector<bool> marked(choices.size(), false);
    for (const auto& word : SplitWords(argument)) {
        if (word == "all") {
            marked.assign(choices.size(), true);
            continue;
        }
        std::size_t number = 0;
        const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
        if (error != std::errc{} || end != word.data() + word.size() || number == 0 || number > choices.size()) {
            Diagnostic("no category number " + word + " (see :categories)");
            return;
        }
        marked[number - 1] = true;
    }
    std::vector<std::string> names;
    for (std::size_t i = 0; i < choices.size(); ++i) {
        if (marked[i]) names.push_back(choices[i].name);
    }
    m_workstation.domainCommands().chooseCategories(names);
}

void HeadlessTerminal::setProperties(std::string_view argument) {
    const auto values = SplitWords(argument);
    if (values.size() != 3) {
        Diagnostic(":props needs three values: LO HI BND");
        return;
    }
    karvola::GeneralProperties& properties = m_workstation.properties();
    const karvola::GeneralProperties::Editable editable = properties.editable();
    if (!editable.bnd) {
        // The dialog's fields are all disabled while the optimizer runs.
        m_sink.appendLine(karvola::kOptimizationInProgress);
        return;
    }
    const auto& domain = m_workstation.researchDomain();
    const std::string lo = std::to_string(domain.lo());
    const std::string hi = std::to_string(domain.hi());
    if (!editable.range && (values[0] != lo || values[1] != hi)) {
        Diagnostic("the research domain is empty: LO and HI stay " + lo + " and " + hi);
    }
    if (const auto error = properties.apply(values[0], values[1], values[2])) messageBox(error->caption, error->text);
}

void HeadlessTerminal::showPreview() {
    const auto rows = m_workstation.domainCommands().previewRows();
    if (rows.empty()) return;
    m_sink.appendLine("No. | Date | Category | Teams | 1 | X | 2 | Result");
    for (const auto& row : rows) {
        m_sink.appendLine(
            Join({row.number, row.date, row.category, row.teams, row.odds1, row.odds0, row.odds2, row.result}, " | "));
    }
}

void HeadlessTerminal::showStatus() {
    const auto& domain = m_workstation.researchDomain();
    const auto& dataBase = m_workstation.dataBase();
    m_sink.appendLine("Data Base: " + dataBase.nameLabel());
    m_sink.appendLine("Data Base Size: " + std::to_string(dataBase.size()));
    m_sink.appendLine("Research Domain Size: " + std::to_string(domain.size()));
    m_sink.appendLine("LO Range: " + std::to_string(domain.lo()));
    m_sink.appendLine("HI Range: " + std::to_string(domain.hi()));
    m_sink.appendLine("BND%: " + domain.bnd());
    for (const auto& line : domain.restrictions()) m_sink.appendLine("Restrictions: " + line);
    for (const auto& category : domain.categories()) m_sink.appendLine("Category: " + category);
    for (const auto& bookmaker : dataBase.bookmakers()) m_sink.appendLine("Bookmaker: " + bookmaker);
    m_sink.appendLine("Service host: " + m_workstation.serviceHost().name());
}

void HeadlessTerminal::showBookmaker(std::string_view name) {
    const karvola::AffiliateLinks& directory = m_workstation.directory();
    m_sink.appendLine("Link: " + directory.GetLink(name));
    m_sink.appendLine("State: " + directory.GetState(name));
    m_sink.appendLine("Rating: " + directory.GetRating(name));
}

// The list's menu item "Delete this match from list & don't show again": the
// listing is printed again without the match.
void HeadlessTerminal::hideUpcomingMatch(std::string_view argument) {
    karvola::UpcomingListing& listing = m_workstation.upcoming().listing();
    const auto& rows = listing.rows();
    int number = 0;
    const auto [end, error] = std::from_chars(argument.data(), argument.data() + argument.size(), number);
    const auto row = std::find_if(rows.begin(), rows.end(), [number](const auto& r) { return r.number == number; });
    if (argument.empty() || error != std::errc() || end != argument.data() + argument.size() || row == rows.end()) {
        Diagnostic(":hide needs the number of a listed upcoming match");
        return;
    }
    listing.hide(static_cast<std::size_t>(row - rows.begin()));
    m_upcomingPrinter.showListing();
}

// What Options > General Enviroment Settings... keeps as the Unique Indentity Key.
void HeadlessTerminal::identityKey(std::string_view argument) {
    if (argument.empty()) {
        const std::string key = m_workstation.config().GetUIDKey();
        m_sink.appendLine("Unique Indentity Key: " + (key.empty() ? std::string("(none)") : key));
        return;
    }
    m_workstation.config().SetUIDKey(std::string(argument));
}

}  // namespace karvola::cli

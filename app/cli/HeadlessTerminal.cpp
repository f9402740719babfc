#include "HeadlessTerminal.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <sstream>
#include <utility>

#include "StakesCommand.h"
#include "config/ApplicationDirectory.h"
#include "config/FirstStart.h"

namespace karvola::cli {

namespace {

// The width :help wraps its lines to: the terminal's, 80 where the output is no terminal.
std::size_t OutputWidth() {
    winsize size{};
    if (isatty(STDOUT_FILENO) != 0 && ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return 80;
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

// Whether the trimmed line runs echo, whose text is the user's, not an error:
// the word and then a character that is no token character.
bool IsEchoLine(std::string_view line) {
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= 32) line.remove_prefix(1);
    if (line.size() <= 4 || !line.starts_with("echo")) return false;
    const char next = line[4];
    const bool tokenCharacter = (next >= '0' && next <= '9') || (next >= 'A' && next <= 'Z') ||
                                (next >= 'a' && next <= 'z') ||
                                std::string_view("+-*/^()_.,?").find(next) != std::string_view::npos;
    return !tokenCharacter;
}

// A script's comment: '#' as its first character after blanks, so that a
// script may begin with a "#!" line.
bool IsComment(std::string_view line) {
    const auto first = line.find_first_not_of(" \t");
    return first != std::string_view::npos && line[first] == '#';
}

}  // namespace

bool IsErrorLine(std::string_view line) {
    for (const std::string_view start : {"Error", "Fatal", "DBMS Error", "DBMS Fatal", "Acces Denied"}) {
        if (line.starts_with(start)) return true;
    }
    return false;
}

void ErrorLineWatch::appendLine(std::string_view line) {
    m_target.appendLine(line);
    if (m_watching && IsErrorLine(line)) m_onError();
}

bool MissingKeyNotice::askForKey(karvola::MatchConfig&) {
    m_fail("no Unique Indentity Key, so no upcoming matches were downloaded: give one with --key KEY or :key KEY");
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

std::vector<std::string> WrapWords(std::string_view text, std::size_t width, std::size_t indent,
                                   std::string firstLine) {
    std::vector<std::string> lines;
    std::string line = std::move(firstLine);
    line.resize(std::max(line.size(), indent), ' ');
    bool empty = true;
    for (const auto& word : SplitWords(text)) {
        if (!empty && line.size() + 1 + word.size() > width) {
            lines.push_back(std::move(line));
            line = std::string(indent, ' ');
            empty = true;
        }
        if (!empty) line += ' ';
        line += word;
        empty = false;
    }
    lines.push_back(std::move(line));
    return lines;
}

std::vector<std::string> MetaCommands::helpLines(std::size_t width) const {
    constexpr std::size_t kColumn = 23;
    width = std::max(width, kColumn + 24);
    std::vector<std::string> lines;
    for (const auto& [name, entry] : m_entries) {
        // The usage ends at the first run of blanks; the description follows.
        const auto gap = entry.usage.find("  ");
        const std::string usage = entry.usage.substr(0, gap);
        const std::string_view description =
            gap == std::string::npos ? std::string_view() : std::string_view(entry.usage).substr(gap);
        std::string first = usage;
        if (usage.size() + 1 >= kColumn) {
            lines.push_back(usage);
            first.clear();
        }
        for (auto& line : WrapWords(description, width, kColumn, first)) lines.push_back(std::move(line));
    }
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

HeadlessTerminal::HeadlessTerminal(HeadlessSettings settings, karvola::TerminalSink& sink, StatusLine& status,
                                   karvola::FileSystem& files, const karvola::Clock& clock, karvola::HttpClient& http)
    : m_settings(std::move(settings)),
      m_files(files),
      m_status(status),
      m_watch(sink, [this] { failed(); }),
      m_sink(m_watch, m_settings.quiet),
      m_workstation({m_settings.applicationDirectory, m_settings.decimalSeparator, m_settings.service}, m_sink, files,
                    clock, http),
      m_changes(status),
      m_dataBaseCreation(
          m_sink, files, clock,
          {.absolutePath = [this](std::string_view path) { return absolutePath(path); },
           .messageBox = [this](std::string_view caption, std::string_view text) { messageBox(caption, text); },
           .diagnostic = [this](const std::string& text) { fail(text); },
           .progress = [this](const std::string& text) { m_status.show(text); },
           .progressEnded = [this] { m_status.clear(); }}) {
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

// The progress bar and its hint: the status line, from the search's start until
// the hint says it is over, so that the idle hint never stays on the screen.
void HeadlessTerminal::Changes::optimizationStarted() {
    const std::lock_guard lock(m_mutex);
    m_running = true;
    m_percent = 0;
}

void HeadlessTerminal::Changes::optimizationProgress(int percent) {
    const std::lock_guard lock(m_mutex);
    m_percent = percent;
    drawProgress();
}

void HeadlessTerminal::Changes::optimizationHint(const std::string& hint) {
    const std::lock_guard lock(m_mutex);
    m_hint = hint;
    if (hint == karvola::Optimizer::kIdleHint) {
        m_running = false;
        m_status.clear();
    }
    drawProgress();
}

void HeadlessTerminal::Changes::optimizationEnded() {
    const std::lock_guard lock(m_mutex);
    m_running = false;
    m_status.clear();
}

// Called with the mutex held.
void HeadlessTerminal::Changes::drawProgress() {
    if (!m_running) return;
    char percent[16];
    std::snprintf(percent, sizeof percent, "[opt %3d%%] ", m_percent);
    m_status.show(percent + m_hint);
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
        for (const auto& warning : m_workstation.startUpWarnings()) diagnostic(warning);
        if (const auto warning = m_workstation.directoryWarning()) diagnostic(*warning);
    }
    m_sink.open();
    // From now on an error line is a command's failure.
    m_watch.watch(true);
    m_startFailed = m_settings.dataBase.has_value() && !loaded.loaded();
    const bool told = !m_settings.quiet || m_settings.typedInput;
    if (m_settings.freshHome && told && !m_workstation.dataBase().hasName()) {
        // Nothing to seed from (a program run from its build folder): where to start.
        const auto sample = karvola::FindSampleBase(karvola::ExecutableDirectory());
        diagnostic(sample ? "no default data base yet; the sample base is " + sample->string() +
                                ": start with --db FILE to try it, or :load FILE to make it the default"
                          : "no default data base yet: start with --db FILE, or :load FILE to make it the default");
    }
    if (!m_settings.quiet || loaded.loaded() || !m_workstation.dataBase().hasName()) return;
    // A quiet start says nothing, unless the data base it was asked to load failed.
    const std::string& file = m_workstation.dataBase().fileName();
    if (!loaded.message.empty()) diagnostic(loaded.message + " (" + file + ")");
    if (loaded.code == -2) diagnostic("not a data base: " + file);
}

void HeadlessTerminal::followHistory(std::function<void(const std::string&)> onLine, std::function<void()> onCleared) {
    m_onHistoryLine = std::move(onLine);
    m_changes.onHistoryCleared = std::move(onCleared);
}

void HeadlessTerminal::run(LineSource& source, karvola::Terminal::Echo echo, Input input) {
    const karvola::StopRequest& stopped = m_workstation.terminal().stopRequest();
    m_scriptInput = input == Input::Script;
    // A script that should stop at an error does not start after a failed --db.
    if (input == Input::Script && m_settings.stopOnError && m_startFailed) m_stoppedOnError = true;
    while (goesOn() && !stopped.requested()) {
        const auto line = source.nextLine();
        if (!line) break;
        if (input == Input::Script && IsComment(*line)) continue;
        m_lineFailed = false;
        handleLine(*line, echo);
        if (input == Input::Script && m_settings.stopOnError && m_lineFailed) m_stoppedOnError = true;
    }
}

bool HeadlessTerminal::finish() {
    const std::lock_guard lock(m_lineMutex);
    if (m_finished) return true;
    m_finished = true;
    if (m_workstation.saveConfiguration()) return true;
    diagnostic("could not save the configuration");
    return false;
}

void HeadlessTerminal::failed() {
    m_lineFailed = true;
    if (m_scriptInput) m_scriptFailed = true;
}

void HeadlessTerminal::fail(const std::string& text) {
    diagnostic(text);
    failed();
}

void HeadlessTerminal::handleLine(const std::string& line, karvola::Terminal::Echo echo) {
    const std::lock_guard lock(m_lineMutex);
    // Once the program is ending, a line read meanwhile does not run.
    if (m_finished || m_workstation.terminal().stopRequest().requested()) return;
    if (!line.empty() && line.front() == ':') {
        if (!m_metaCommands.run(line)) fail("unknown meta-command '" + line + "' (type :help for the list)");
        return;
    }
    if (!line.empty() && m_onHistoryLine) m_onHistoryLine(line);
    m_watch.watch(!IsEchoLine(line));
    m_workstation.terminal().enterLine(line, echo);
    m_watch.watch(true);
}

// A message box becomes its caption + " : " + its text, one line per line of the text.
void HeadlessTerminal::messageBox(std::string_view caption, std::string_view text, bool error) {
    if (error) failed();
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
    m_terminal.messageBox(caption, text, false);
    return karvola::Workstation::SaveAnswer::No;
}

std::string HeadlessTerminal::absolutePath(std::string_view path) const {
    return std::filesystem::absolute(std::filesystem::path(path)).lexically_normal().string();
}

void HeadlessTerminal::addMetaCommands() {
    const auto needsPath = [this](std::string_view argument, std::string_view name) {
        if (!argument.empty()) return true;
        fail(std::string(name) + " needs a file name");
        return false;
    };
    m_metaCommands.add(":help", ":help                  this list", [this](std::string_view) {
        const std::size_t width = OutputWidth();
        for (const auto& line : m_metaCommands.helpLines(width)) m_sink.appendLine(line);
        // Unlike the window's, whose files are found from the application folder.
        for (const auto& line : WrapWords("FILE, SOURCE, BASE, CSV and FOLDER are read from the current folder "
                                          "when they are not absolute paths.",
                                          width, 0, {})) {
            m_sink.appendLine(line);
        }
    });
    m_metaCommands.add(":wait", ":wait                  wait until a running optimization has ended",
                       [this](std::string_view) { waitForOptimization(); });
    m_metaCommands.add(":walkforward", karvola::kWalkForwardHelp, [this](std::string_view argument) {
        if (const auto usage = m_workstation.validation().walkForwardCommand(argument)) fail(*usage);
    });
    m_metaCommands.add(":significance", karvola::kSignificanceHelp, [this](std::string_view argument) {
        if (const auto usage = m_workstation.validation().significanceCommand(argument)) fail(*usage);
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
                           if (!needsPath(argument, ":load")) return;
                           // The terminal's line tells why; the script's status counts it.
                           if (!m_workstation.dataBase().open(absolutePath(argument)).loaded()) failed();
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
                                        .diagnostic = [this](const std::string& text) { fail(text); }});
                       });
    // A bookmaker's key is its list item as shown, blanks and all.
    m_metaCommands.add(
        ":bookmaker", ":bookmaker NAME        the bookmaker directory's link, state and rating of NAME",
        [this](std::string_view name) {
            if (name.empty()) {
                fail(":bookmaker needs a name");
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
    if (!m_workstation.dataBase().save()) fail("the data base has no file name yet: use :save FILE");
}

void HeadlessTerminal::showOptions(std::string_view argument) {
    if (argument.empty()) {
        m_sink.appendLine(m_workstation.config().GetResultPeResultOptions());
        return;
    }
    if (argument.size() != 12 || argument.find_first_not_of("01") != std::string_view::npos) {
        fail(":options needs twelve characters 0 or 1, e.g. 110000111110");
        return;
    }
    m_workstation.config().SetResultPeResultOptions(std::string(argument));
}

void HeadlessTerminal::exportBets(std::string_view argument) {
    const std::string path = absolutePath(argument);
    const std::string csv = karvola::FormatBetsPreviewCsv(m_workstation.strategy().simulation().rows);
    if (!karvola::WriteFileAtomically(m_files, path, csv)) fail("could not write " + path);
}

void HeadlessTerminal::saveChart() {
    const auto path = m_settings.applicationDirectory / "WorkSpace" / "bankroll_chart.svg";
    const std::string svg = karvola::RenderBankrollChartSvg(m_workstation.strategy().simulation().points, false);
    if (!karvola::WriteFileAtomically(m_files, path, svg)) {
        fail("could not write " + path.string());
        return;
    }
    diagnostic("bankroll chart saved to " + path.string());
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
            fail("no category number " + word + " (see :categories)");
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
        fail(":props needs three values: LO HI BND");
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
        diagnostic("the research domain is empty: LO and HI stay " + lo + " and " + hi);
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
    if (!directory.contains(name)) {
        fail(directory.empty() ? "the bookmaker directory is empty: the service could not be reached, and no copy "
                                 "of it was kept"
                               : "'" + std::string(name) + "' is not in the bookmaker directory");
        return;
    }
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
        fail(":hide needs the number of a listed upcoming match");
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

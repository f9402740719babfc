#include "wizard/ui/TDataBaseGeneratorWizardForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <stdexcept>

#include "common/FileSystem.h"
#include "common/ui/DialogButtons.h"
#include "common/ui/QtText.h"
#include "config/TimeZones.h"

namespace karvola::ui {

namespace {

using Lines = std::array<const char*, 5>;

constexpr Lines kPageDescriptions[TDataBaseGeneratorWizardForm::kLastPage + 1] = {
    {"This simple wizard will help you in creating Karvola",
     "DATA BASE on basis of provided DATA SOURCE. You will have to select",
     "sportsbooks from a given list and then save your DATA BASE when creation ends.",
     "This DATA BASE will be used for further analyses in Karvola", ""},
    {"Please type (or specify) the DATA SOURCE file name.",
     "By default this file is to be found in \"datasource\" folder", "located on disk where Karvola is installed.",
     "Note that if You type the name of file, it is vital to give also", "full path and *.txt extension."},
    {"Please type (or specify) preferred file name for DATA BASE that",
     "is going to be created. If this file already exists,",
     "it will be overwritten. Make sure that you are typing a full path", "for preferred location of DATA BASE file",
     ""},
    {"Please select from the list of all BOOKMAKERS the ones that you are going to ",
     "take into account while making analyses. Each betting option (1,X,2)",
     "for events in new created database will have highest possible odds taken ",
     "from sportsbooks you are going to select. ", ""},
    {"Choose your time zone", "According to a time zone given, this wizard will convert",
     "data from datasource file to your date base.", "Matches will have dates appropriate for your time zone.", ""},
    {"Work in progress... please wait", "", "Depending on number of selected sportsbooks it can ",
     "take from one to couple of minutes...", ""},
};

// A name typed without a folder is read from the application directory, like
// every relative path of the program, not from wherever it was started.
std::filesystem::path FromApplicationDirectory(const std::filesystem::path& applicationDirectory, const QString& text) {
    const std::filesystem::path path = PathOf(text);
    return path.is_absolute() ? path : (applicationDirectory / path).lexically_normal();
}

bool IsClosedOrOffLine(const std::string& state) {
    return state == "CLOSED" || state == "STACJONARNY";
}

}  // namespace

TDataBaseGeneratorWizardForm::TDataBaseGeneratorWizardForm(MatchConfig& config,
                                                           std::filesystem::path applicationDirectory,
                                                           FileSystem& files, MessageBoxes& boxes,
                                                           std::function<const AffiliateLinks&()> directory,
                                                           WizardConversionRunner runner, QWidget* parent)
    : QDialog(parent),
      m_config(config),
      m_applicationDirectory(std::move(applicationDirectory)),
      m_files(files),
      m_boxes(boxes),
      m_directory(std::move(directory)),
      m_runner(std::move(runner)) {
    setObjectName(QStringLiteral("DataBaseGeneratorWizardForm"));
    setWindowTitle(QStringLiteral("Database Creation Wizard..."));
    setWindowFlag(Qt::Tool);
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    auto* description = new QGroupBox(QStringLiteral(" Description "), this);
    description->setObjectName(QStringLiteral("DescriptionGroupBox"));
    auto* descriptionLayout = new QVBoxLayout(description);
    for (std::size_t i = 0; i < m_descriptionLabels.size(); ++i) {
        m_descriptionLabels[i] = new QLabel(description);
        m_descriptionLabels[i]->setObjectName(QStringLiteral("DescriptionLabel%1").arg(i + 1));
        descriptionLayout->addWidget(m_descriptionLabels[i]);
    }
    layout->addWidget(description);

    auto* fileRow = new QHBoxLayout;
    m_fileNameEdit = new QLineEdit(this);
    m_fileNameEdit->setObjectName(QStringLiteral("FileNameEdit"));
    m_fileNameEdit->setMinimumWidth(380);
    m_specifySpeedButton = new QPushButton(QStringLiteral("[ Specify... ]"), this);
    m_specifySpeedButton->setObjectName(QStringLiteral("SpecifySpeedButton"));
    connect(m_specifySpeedButton, &QPushButton::clicked, this, &TDataBaseGeneratorWizardForm::SpecifySpeedButtonClick);
    fileRow->addWidget(m_fileNameEdit, 1);
    fileRow->addWidget(m_specifySpeedButton);
    layout->addLayout(fileRow);
    // A bare name lands in the application directory, not in DataBase/ where
    // File > Load looks: page 2 says where the base will really be written.
    m_baseFilePathLabel = new QLabel(this);
    m_baseFilePathLabel->setObjectName(QStringLiteral("BaseFilePathLabel"));
    m_baseFilePathLabel->setWordWrap(true);
    m_baseFilePathLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(m_baseFilePathLabel);
    connect(m_fileNameEdit, &QLineEdit::textChanged, this, &TDataBaseGeneratorWizardForm::showBaseFilePath);

    m_bookmakersCheckListBox = new QListWidget(this);
    m_bookmakersCheckListBox->setObjectName(QStringLiteral("BookmakersCheckListBox"));
    m_bookmakersCheckListBox->setSortingEnabled(true);
    m_bookmakersCheckListBox->setMinimumHeight(140);
    buildBookmakersMenu();
    layout->addWidget(m_bookmakersCheckListBox, 1);

    m_timeZoneComboBox = new QComboBox(this);
    m_timeZoneComboBox->setObjectName(QStringLiteral("TimeZoneComboBox"));
    for (const std::string_view zone : TimeZones::kEntries) m_timeZoneComboBox->addItem(Text(zone));
    m_timeZoneComboBox->setCurrentIndex(-1);
    layout->addWidget(m_timeZoneComboBox);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("DatabaseGeneratorProgressBar"));
    m_progressBar->setRange(0, 100);
    layout->addWidget(m_progressBar);
    m_elapsedTimeLabel = new QLabel(this);
    m_elapsedTimeLabel->setObjectName(QStringLiteral("ElapsedTimeLabel"));
    layout->addWidget(m_elapsedTimeLabel);
    layout->addStretch(1);

    m_prev = new QPushButton(QStringLiteral("[ << Prev   ]"), this);
    m_prev->setObjectName(QStringLiteral("SpeedButton1"));
    m_next = new QPushButton(QStringLiteral("[  Next >>  ]"), this);
    m_next->setObjectName(QStringLiteral("SpeedButton2"));
    m_next->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("[  Cancel   ]"), this);
    m_cancel->setObjectName(QStringLiteral("SpeedButton3"));
    connect(m_prev, &QPushButton::clicked, this, &TDataBaseGeneratorWizardForm::SpeedButton1Click);
    connect(m_next, &QPushButton::clicked, this, &TDataBaseGeneratorWizardForm::SpeedButton2Click);
    connect(m_cancel, &QPushButton::clicked, this, &TDataBaseGeneratorWizardForm::SpeedButton3Click);
    layout->addLayout(ButtonRow({m_prev, m_next, m_cancel}));

    // One size for every page, so that the buttons stay where the user found
    // them: as wide as the widest description (the first page's), as high as
    // the fullest page (the bookmaker list).
    int width = 0;
    for (const Lines& lines : kPageDescriptions) {
        setDescription(lines);
        width = std::max(width, m_descriptionLabels.front()->parentWidget()->sizeHint().width());
    }
    showPage(3);
    setFixedSize(
        std::max(width + layout->contentsMargins().left() + layout->contentsMargins().right(), sizeHint().width()),
        sizeHint().height());
    ResetWizard();
}

TDataBaseGeneratorWizardForm::~TDataBaseGeneratorWizardForm() {
    if (!m_worker.joinable()) return;
    m_stopRequested = true;
    m_worker.join();
}

void TDataBaseGeneratorWizardForm::buildBookmakersMenu() {
    m_bookmakersMenu = new QMenu(m_bookmakersCheckListBox);
    m_bookmakersMenu->setObjectName(QStringLiteral("BookmakersPopupMenu"));
    const auto state = [this](const std::string& name) { return m_directory().GetState(name); };
    const auto rating = [this](const std::string& name) { return m_directory().GetRating(name); };
    const auto add = [this](const char* caption, bool marked, std::function<bool(const std::string&)> condition) {
        connect(m_bookmakersMenu->addAction(QString::fromLatin1(caption)), &QAction::triggered, this,
                [this, marked, condition = std::move(condition)] { markBookmakers(marked, condition); });
    };
    add("Select All Bookmakers", true, [](const std::string&) { return true; });
    add("Deselect All Bookmakers", false, [](const std::string&) { return true; });
    add("Select Closed or Off-line Bookmakers", true,
        [state](const std::string& name) { return IsClosedOrOffLine(state(name)); });
    add("Deselect Closed or Off-line Bookmakers", false,
        [state](const std::string& name) { return IsClosedOrOffLine(state(name)); });
    add("Select Karvola A-rated Bookmakers", true, [rating](const std::string& name) { return rating(name) == "A"; });
    add("Deselect Karvola A-rated Bookmakers", false,
        [rating](const std::string& name) { return rating(name) == "A"; });
    add("Select Karvola F-rated Bookmakers", true, [rating](const std::string& name) { return rating(name) == "F"; });
    add("Deselect Karvola F-rated Bookmakers", false,
        [rating](const std::string& name) { return rating(name) == "F"; });
    m_bookmakersCheckListBox->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_bookmakersCheckListBox, &QWidget::customContextMenuRequested, this, [this](const QPoint& position) {
        m_bookmakersMenu->popup(m_bookmakersCheckListBox->viewport()->mapToGlobal(position));
    });
}

void TDataBaseGeneratorWizardForm::markBookmakers(bool marked,
                                                  const std::function<bool(const std::string& name)>& condition) {
    for (int row = 0; row < m_bookmakersCheckListBox->count(); ++row) {
        QListWidgetItem* item = m_bookmakersCheckListBox->item(row);
        if (condition(Bytes(item->text()))) item->setCheckState(marked ? Qt::Checked : Qt::Unchecked);
    }
}

void TDataBaseGeneratorWizardForm::ResetWizard() {
    m_progressBar->setToolTip(QStringLiteral("Progress"));
    m_stopRequested = false;
    m_created = false;
    m_sourceFileName.clear();
    m_baseFileName.clear();
    m_elapsedTimeLabel->clear();
    showPage(0);
}

QStringList TDataBaseGeneratorWizardForm::descriptionLines() const {
    QStringList lines;
    for (const QLabel* label : m_descriptionLabels) lines << label->text();
    return lines;
}

void TDataBaseGeneratorWizardForm::setDescription(const std::array<const char*, 5>& lines) {
    for (std::size_t i = 0; i < lines.size(); ++i) m_descriptionLabels[i]->setText(QString::fromLatin1(lines[i]));
}

void TDataBaseGeneratorWizardForm::showPage(int page) {
    m_page = page;
    setDescription(kPageDescriptions[page]);
    const bool fileName = page == 1 || page == 2;
    m_fileNameEdit->setVisible(fileName);
    m_specifySpeedButton->setVisible(fileName);
    m_baseFilePathLabel->setVisible(page == 2);
    m_bookmakersCheckListBox->setVisible(page == 3);
    m_timeZoneComboBox->setVisible(page == 4);
    m_progressBar->setVisible(page == kLastPage);
    m_elapsedTimeLabel->setVisible(page == kLastPage);
    m_prev->setVisible(page >= 1 && page <= 4);
    m_next->setVisible(page <= 4);
    m_cancel->setVisible(page <= 4);
    switch (page) {
        case 1:
            if (m_sourceFileName.empty()) m_sourceFileName = m_config.GetDataSource();
            m_fileNameEdit->setText(Text(m_sourceFileName));
            m_specifyTarget = 0;
            m_fileNameEdit->setFocus();
            break;
        case 2:
            m_fileNameEdit->setText(Text(m_baseFileName));
            showBaseFilePath();
            m_specifyTarget = 1;
            m_fileNameEdit->setFocus();
            break;
        case 3:
            m_bookmakersCheckListBox->setFocus();
            break;
        case 4: {
            m_progressBar->setValue(0);
            try {
                const int bias = m_config.GetTimeZoneBias();
                m_timeZoneOffset = TimeZoneOffsetOfBias(bias);
                if (const auto index = TimeZones::indexOf(bias)) {
                    m_timeZoneComboBox->setCurrentIndex(static_cast<int>(*index));
                }
            } catch (const std::logic_error& error) {
                // A configured zone that is no number preselects nothing: the user chooses one.
                m_boxes.inform(this, QStringLiteral("Error"), Text(error.what()));
            }
            m_timeZoneComboBox->setFocus();
            break;
        }
        case kLastPage:
            m_progressBar->setValue(0);
            break;
        default:
            m_next->setFocus();
            break;
    }
}

void TDataBaseGeneratorWizardForm::showBaseFilePath() {
    if (m_page != 2) return;
    const QString text = m_fileNameEdit->text();
    m_baseFilePathLabel->setText(text.isEmpty() ? QString()
                                                : QStringLiteral("The data base will be written to:\n") +
                                                      PathText(FromApplicationDirectory(m_applicationDirectory, text)));
}

void TDataBaseGeneratorWizardForm::loadBookmakers(const std::vector<std::string>& names) {
    m_bookmakersCheckListBox->clear();
    for (const auto& name : names) {
        auto* item = new QListWidgetItem(Text(name), m_bookmakersCheckListBox);
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
    }
}

void TDataBaseGeneratorWizardForm::SpeedButton2Click() {
    switch (m_page) {
        case 0:
            showPage(1);
            return;
        case 1: {
            const auto source = FromApplicationDirectory(m_applicationDirectory, m_fileNameEdit->text());
            std::error_code error;
            if (m_fileNameEdit->text().isEmpty() || !std::filesystem::is_regular_file(source, error)) {
                m_boxes.inform(this, QStringLiteral("Error"), QStringLiteral("        Invalid file name       "));
                m_fileNameEdit->setFocus();
                return;
            }
            m_sourceFileName = source.string();
            showPage(2);
            return;
        }
        case 2: {
            if (m_fileNameEdit->text().isEmpty()) {
                m_boxes.inform(this, QStringLiteral("Error"), QStringLiteral("    You need to specify file name    "));
                m_fileNameEdit->setFocus();
                return;
            }
            m_baseFileName = FromApplicationDirectory(m_applicationDirectory, m_fileNameEdit->text()).string();
            const auto names = ReadDataSourceDescriptor(m_files, PathOf(Text(m_sourceFileName)));
            if (!names) {
                m_boxes.inform(this, QStringLiteral("Fatal Error"),
                               QStringLiteral("This data source file has no descriptor file .desc"));
                showPage(1);
                return;
            }
            loadBookmakers(*names);
            showPage(3);
            return;
        }
        case 3: {
            bool marked = false;
            for (int row = 0; row < m_bookmakersCheckListBox->count() && !marked; ++row) {
                marked = m_bookmakersCheckListBox->item(row)->checkState() == Qt::Checked;
            }
            if (!marked) {
                m_boxes.inform(this, QStringLiteral("Error"),
                               QStringLiteral("You need to select at least one bookmaker"));
                return;
            }
            showPage(4);
            return;
        }
        case 4: {
            const int index = m_timeZoneComboBox->currentIndex();
            const auto offset = index < 0 ? std::nullopt : TimeZoneOffsetOfEntry(static_cast<std::size_t>(index));
            if (!offset) {
                m_boxes.inform(this, QStringLiteral("Error"), QStringLiteral("You have to specify your time zone."));
                m_timeZoneComboBox->setFocus();
                return;
            }
            m_timeZoneOffset = *offset;
            showPage(kLastPage);
            startConversion();
            return;
        }
        default:
            return;
    }
}

void TDataBaseGeneratorWizardForm::SpeedButton1Click() {
    if (m_page == 1) {
        // Back to the start; the names typed so far stay.
        const std::string source = m_sourceFileName;
        const std::string base = m_baseFileName;
        ResetWizard();
        m_sourceFileName = source;
        m_baseFileName = base;
        return;
    }
    if (m_page >= 2 && m_page <= 4) showPage(m_page - 1);
}

void TDataBaseGeneratorWizardForm::SpeedButton3Click() {
    close();
}

void TDataBaseGeneratorWizardForm::SpecifySpeedButtonClick() {
    const bool base = m_specifyTarget == 1;
    const DataSourceFileRequest request{
        base ? QStringLiteral("Specify Name for Data Base...") : QStringLiteral("Specify Data Source..."),
        PathText(m_applicationDirectory / (base ? "DataBase" : "DataSource")),
        base ? QStringLiteral("Karvola Data Base (*.txt)") : QStringLiteral("Data Source Files (*.txt)"),
        QStringLiteral("txt"), base ? DataSourceFileRequest::Purpose::Save : DataSourceFileRequest::Purpose::Open};
    const QString chosen = m_chooseFile(this, request);
    if (!chosen.isEmpty()) m_fileNameEdit->setText(chosen);
}

// The worker reads only what is handed to it; everything it reports comes back
// to this thread queued, which Qt drops if the wizard is gone by then.
void TDataBaseGeneratorWizardForm::startConversion() {
    DataBaseCreationRequest conversion{m_sourceFileName, m_baseFileName, {}, m_timeZoneOffset};
    for (int row = 0; row < m_bookmakersCheckListBox->count(); ++row) {
        const QListWidgetItem* item = m_bookmakersCheckListBox->item(row);
        if (item->checkState() == Qt::Checked) conversion.bookmakers.push_back(Bytes(item->text()));
    }
    m_stopRequested = false;
    m_worker = std::thread([this, conversion = std::move(conversion)] {
        const auto progress = [this](int position, const std::string& hint) {
            m_queuedCalls->post([this, position, hint = Text(hint)] {
                m_progressBar->setValue(position);
                m_progressBar->setToolTip(hint);
            });
        };
        const auto status = [this](const std::string& caption) {
            m_queuedCalls->post([this, caption = Text(caption)] { m_elapsedTimeLabel->setText(caption); });
        };
        DataBaseCreationResult end;
        try {
            end = m_runner(conversion, m_stopRequested, {progress, status});
        } catch (const std::exception& error) {
            end = {DataBaseCreationResult::Outcome::Failed, error.what()};
        }
        m_queuedCalls->post([this, end] { conversionEnded(end); });
    });
}

void TDataBaseGeneratorWizardForm::conversionEnded(const DataBaseCreationResult& end) {
    m_worker.join();
    if (end.outcome == DataBaseCreationResult::Outcome::Failed) {
        m_boxes.inform(this, QStringLiteral("Fatal Error "), Text(end.error));
    } else {
        m_elapsedTimeLabel->clear();
    }
    m_created = end.outcome == DataBaseCreationResult::Outcome::Created;
    m_page = 0;
    close();
}

// While the conversion runs, closing asks whether to stop it; the wizard then
// closes itself once the conversion has stopped.
void TDataBaseGeneratorWizardForm::closeEvent(QCloseEvent* event) {
    if (m_page != kLastPage) {
        event->accept();
        return;
    }
    event->ignore();
    if (m_boxes.ask(this, QStringLiteral("Ask for confirmation"),
                    QStringLiteral("Database is beeing created. Do you want to stop the process?"),
                    QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes) {
        m_stopRequested = true;
    }
}

void TDataBaseGeneratorWizardForm::reject() {
    close();
}

}  // namespace karvola::ui

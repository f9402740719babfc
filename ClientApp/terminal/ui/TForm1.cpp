#include "terminal/ui/TForm1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMessageBox>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QTimer>
#include <QVBoxLayout>

#include "terminal/StartupBanner.h"

namespace karvola::ui {

namespace {

QString Text(const std::string& text) { return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())); }

// The terminal's font: Courier New, or a metric-compatible monospace font.
QFont TerminalFont() {
    QFont font(QStringLiteral("Courier New"));
    font.setStyleHint(QFont::Monospace);
    if (!QFontDatabase::families().contains(font.family())) font.setFamily(QStringLiteral("Liberation Mono"));
    font.setPointSize(9);
    return font;
}

// The optimizer's progress bar: calls come from the worker and are queued to the window.
class ProgressBarObserver final : public OptimizationObserver {
public:
    explicit ProgressBarObserver(QProgressBar& bar) : m_bar(bar) {}
    void progressChanged(int percent) override {
        QMetaObject::invokeMethod(&m_bar, [bar = &m_bar, percent] { bar->setValue(percent); }, Qt::QueuedConnection);
    }
    void hintChanged(const std::string& hint) override {
        QMetaObject::invokeMethod(&m_bar, [bar = &m_bar, text = Text(hint)] { bar->setToolTip(text); },
                                  Qt::QueuedConnection);
    }

private:
    QProgressBar& m_bar;
};

// The close query's boxes as message boxes on the window.
class MessageBoxCloseDialogs final : public Workstation::CloseQueryDialogs {
public:
    explicit MessageBoxCloseDialogs(QWidget& parent) : m_parent(parent) {}
    void refuse(std::string_view caption, std::string_view text) override {
        QMessageBox::warning(&m_parent, Text(std::string(caption)), Text(std::string(text)));
    }
    Workstation::SaveAnswer askToSave(std::string_view caption, std::string_view text) override {
        const auto answer = QMessageBox::question(&m_parent, Text(std::string(caption)), Text(std::string(text)),
                                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        if (answer == QMessageBox::Yes) return Workstation::SaveAnswer::Yes;
        if (answer == QMessageBox::Cancel) return Workstation::SaveAnswer::Cancel;
        return Workstation::SaveAnswer::No;
    }

private:
    QWidget& m_parent;
};

}  // namespace

TForm1::TForm1(MainWindowSettings settings, FileSystem& files, const Clock& clock, QWidget* parent)
    : QMainWindow(parent), m_settings(std::move(settings)) {
    buildWidgets();
    m_sink = std::make_unique<StatusScreenSink>(*m_statusScreen);
    m_workstation = std::make_unique<Workstation>(
        WorkstationSettings{m_settings.applicationDirectory, m_settings.decimalSeparator}, *m_sink, files, clock);
    m_progress = std::make_unique<ProgressBarObserver>(*m_progressBar);
    m_workstation->optimizer().setObserver(m_progress.get());
    m_workstation->terminal().dispatcher().attach("quit", [this](const CommandArguments&) { close(); });
    buildMenus();
    refreshGeneral();
    QTimer::singleShot(0, this, &TForm1::ApplicationEvents1Idle);
}

TForm1::~TForm1() {
    m_workstation->optimizer().setObserver(nullptr);
    m_workstation->optimizer().wait();
    m_workstation->SaveConfiguration();
}

void TForm1::buildWidgets() {
    setWindowTitle(QString::fromLatin1(kProductCaption.data(), static_cast<qsizetype>(kProductCaption.size())));
    setMinimumSize(890, 599);
    setStyleSheet(QStringLiteral("QMainWindow, QWidget#central { background: black; } "
                                 "QGroupBox, QLabel { color: silver; }"));

    auto* central = new QWidget(this);
    central->setObjectName(QStringLiteral("central"));
    auto* layout = new QGridLayout(central);

    auto* general = new QGroupBox(QStringLiteral(" General "), central);
    auto* generalLayout = new QGridLayout(general);
    const auto addRow = [generalLayout, general](int row, const char* caption) {
        generalLayout->addWidget(new QLabel(QString::fromLatin1(caption), general), row, 0);
        auto* value = new QLabel(general);
        generalLayout->addWidget(value, row, 1);
        return value;
    };
    m_dataBaseNameLabel = addRow(0, "Data Base:");
    m_dataBaseSizeLabel = addRow(1, "Data Base Size:");
    m_domainSizeLabel = addRow(2, "Research Domain Size:");
    generalLayout->addWidget(new QLabel(QStringLiteral("Used Domain Partitioning: "), general), 3, 0, 1, 2);
    m_compartmentInfimum = addRow(4, "LO Range:");
    m_compartmentSupremum = addRow(5, "HI Range:");
    m_bnd = addRow(6, "BND%:");
    generalLayout->addWidget(new QLabel(QStringLiteral("Research Domain Restrictions:"), general), 7, 0, 1, 2);
    m_restrictionsMemo = new QPlainTextEdit(general);
    m_restrictionsMemo->setReadOnly(true);
    generalLayout->addWidget(m_restrictionsMemo, 8, 0, 1, 2);
    layout->addWidget(general, 0, 0, 2, 1);

    auto* domain = new QGroupBox(QStringLiteral(" Research Domain "), central);
    auto* domainLayout = new QGridLayout(domain);
    domainLayout->addWidget(new QLabel(QStringLiteral("Categories:"), domain), 0, 0);
    domainLayout->addWidget(new QLabel(QStringLiteral("Bookmakers:"), domain), 0, 1);
    m_categories = new QListWidget(domain);
    m_bookmakers = new QListWidget(domain);
    domainLayout->addWidget(m_categories, 1, 0);
    domainLayout->addWidget(m_bookmakers, 1, 1);
    layout->addWidget(domain, 0, 1);

    auto* terminal = new QWidget(central);
    auto* terminalLayout = new QVBoxLayout(terminal);
    terminalLayout->setContentsMargins(0, 0, 0, 0);
    m_statusScreen = new QPlainTextEdit(terminal);
    m_statusScreen->setObjectName(QStringLiteral("StatusScreen"));
    m_statusScreen->setReadOnly(true);
    m_statusScreen->setFont(TerminalFont());
    m_statusScreen->setStyleSheet(QStringLiteral("background: black; color: silver;"));
    m_commandLine = new QComboBox(terminal);
    m_commandLine->setObjectName(QStringLiteral("CommandLine"));
    m_commandLine->setEditable(true);
    m_commandLine->setInsertPolicy(QComboBox::NoInsert);
    m_commandLine->setFont(TerminalFont());
    connect(m_commandLine->lineEdit(), &QLineEdit::returnPressed, this, &TForm1::CommandLineKeyPress);
    terminalLayout->addWidget(m_statusScreen, 1);
    terminalLayout->addWidget(m_commandLine);
    layout->addWidget(terminal, 1, 1);
    layout->setColumnStretch(1, 3);
    layout->setRowStretch(1, 3);

    m_progressBar = new QProgressBar(central);
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setToolTip(QString::fromLatin1(Optimizer::kIdleHint));
    layout->addWidget(m_progressBar, 2, 0, 1, 2);
    setCentralWidget(central);
}

void TForm1::buildMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(QStringLiteral("&Load Data Base..."), this, &TForm1::LoadDataBaseMenuItemClick);
    file->addAction(QStringLiteral("E&xit"), this, &QWidget::close);
    QMenu* options = menuBar()->addMenu(QStringLiteral("&Options"));
    options->addAction(QStringLiteral("Clear CommandLine History"), this, [this] {
        m_workstation->terminal().dispatcher().DispatchCommand("histclr");
        m_commandLine->clear();
    });
}

// The start-up sequence, once, when the message loop first becomes idle.
void TForm1::ApplicationEvents1Idle() {
    setEnabled(false);
    m_workstation->StartUp(m_settings.dataBase);
    refreshGeneral();
    setEnabled(true);
    m_commandLine->setFocus();
}

// Enter on the command line: the echo, the history and the dispatcher.
void TForm1::CommandLineKeyPress() {
    const QString text = m_commandLine->currentText();
    if (text.isEmpty()) return;
    m_commandLine->addItem(text);
    m_commandLine->setEditText(QString());
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const QByteArray line = text.toLatin1();
    m_workstation->terminal().CommandLineEnter(std::string_view(line.constData(), static_cast<std::size_t>(line.size())));
    QApplication::restoreOverrideCursor();
    refreshGeneral();
}

void TForm1::LoadDataBaseMenuItemClick() {
    if (m_workstation->IsOptimizing()) {
        m_sink->appendLine(kOptimizationInProgress);
        return;
    }
    const QString file = QFileDialog::getOpenFileName(
        this, QStringLiteral("Load Data Base..."),
        QString::fromStdString((m_settings.applicationDirectory / "DataBase").string()),
        QStringLiteral("Karvola Data Base (*.txt)"));
    if (file.isEmpty()) return;
    m_workstation->LoadDataBase(file.toStdString());
    refreshGeneral();
}

void TForm1::refreshGeneral() {
    const Workstation& workstation = *m_workstation;
    const ResearchDomainModel& domain = workstation.researchDomain();
    m_dataBaseNameLabel->setText(Text(workstation.dataBaseNameLabel()));
    m_dataBaseSizeLabel->setText(QString::number(workstation.dataBaseSize()));
    m_domainSizeLabel->setText(QString::number(domain.size()));
    m_compartmentInfimum->setText(QString::number(domain.lo()));
    m_compartmentSupremum->setText(QString::number(domain.hi()));
    m_bnd->setText(Text(domain.bnd()));
    m_restrictionsMemo->clear();
    for (const auto& line : domain.restrictions()) m_restrictionsMemo->appendPlainText(Text(line));
    m_categories->clear();
    for (const auto& category : domain.categories()) m_categories->addItem(Text(category));
    m_bookmakers->clear();
    for (const auto& bookmaker : workstation.bookmakers()) m_bookmakers->addItem(Text(bookmaker));
}

void TForm1::closeEvent(QCloseEvent* event) {
    MessageBoxCloseDialogs dialogs(*this);
    if (m_workstation->FormCloseQuery(dialogs)) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace karvola::ui

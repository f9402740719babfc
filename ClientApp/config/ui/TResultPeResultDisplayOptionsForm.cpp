#include "config/ui/TResultPeResultDisplayOptionsForm.h"

#include <QCheckBox>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <string>

#include "config/DisplayOptions.h"
#include "config/ui/SettingsDialogFrame.h"

namespace karvola::ui {

namespace {

struct CheckBoxEntry {
    const char* name;
    const char* caption;
};

// In the order of the report lines, which is the order of the options text.
constexpr std::array<CheckBoxEntry, TResultPeResultDisplayOptionsForm::kPositions> kCheckBoxes = {{
    {"TotalNumberOfBetsCheckBox", "Total Number Of Bets"},
    {"WinningBetsCheckBox", "Number of Winning Bets"},
    {"AverageOddsCheckBox", "Average Odds"},
    {"StdDevAverageOddsCheckBox", "Standard Deviation for Average Odds"},
    {"AverageWinningOddsCheckBox", "Average Winning Odds"},
    {"StdDevAverageWinningOddsCheckBox", "Standard Deviation for Average Winning Odds"},
    {"AverageYeldCheckBox", "Average Yeld"},
    {"PessimisticAverageYeldCheckBox", "Pessimistic Average Yeld"},
    {"OptimalKellysFractionCheckBox", "Optimal Kelly's Fraction (OKF)"},
    {"BankrollMultiplierForOKFCheckBox", "Bankroll Multiplier for OKF"},
    {"WinningLoosingSequenceCheckBox", "Winning(1) / Loosing(0) Sequence"},
    {"WinningLoosingSequenceEntropyCheckBox", "Entropy for Winning(1) / Loosing (0) Sequence"},
}};

}  // namespace

TResultPeResultDisplayOptionsForm::TResultPeResultDisplayOptionsForm(MatchConfig& config, QWidget* parent)
    : QDialog(parent), m_config(config) {
    const SettingsDialogFrame frame(*this, QStringLiteral("result / pe_result Display Options..."),
                                    QStringLiteral("Display Statistics"));
    auto* boxes = new QVBoxLayout(frame.page());
    for (std::size_t position = 0; position < kPositions; ++position) {
        auto* box = new QCheckBox(QString::fromLatin1(kCheckBoxes[position].caption), frame.page());
        box->setObjectName(QString::fromLatin1(kCheckBoxes[position].name));
        boxes->addWidget(box);
        m_checkBoxes[position] = box;
    }
    frame.okButton()->setObjectName(QStringLiteral("OkSpeedButton"));
    frame.cancelButton()->setObjectName(QStringLiteral("CancelSpeedButton"));
    connect(frame.okButton(), &QPushButton::clicked, this, &TResultPeResultDisplayOptionsForm::OkSpeedButtonClick);
    connect(frame.cancelButton(), &QPushButton::clicked, this,
            &TResultPeResultDisplayOptionsForm::CancelSpeedButtonClick);
    frame.finishTabOrder(*this);
}

void TResultPeResultDisplayOptionsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

// Read as the reports read it: a position the text does not reach is hidden.
void TResultPeResultDisplayOptionsForm::FormActivate() {
    const DisplayOptions options(m_config.GetResultPeResultOptions());
    for (std::size_t position = 0; position < kPositions; ++position) {
        m_checkBoxes[position]->setChecked(options.shows(position));
    }
}

void TResultPeResultDisplayOptionsForm::OkSpeedButtonClick() {
    std::string text(kPositions, '0');
    for (std::size_t position = 0; position < kPositions; ++position) {
        if (m_checkBoxes[position]->isChecked()) text[position] = '1';
    }
    m_config.SetResultPeResultOptions(std::move(text));
    accept();
}

void TResultPeResultDisplayOptionsForm::CancelSpeedButtonClick() {
    reject();
}

}  // namespace karvola::ui

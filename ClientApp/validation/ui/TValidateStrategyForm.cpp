#include "validation/ui/TValidateStrategyForm.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <limits>

#include "common/NumberTexts.h"
#include "common/ui/DialogButtons.h"
#include "common/ui/KarvolaLook.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

namespace {

// A group of the dialog: its fields in a grid, what its figures mean, and the
// button that runs it.
class Group {
public:
    Group(QWidget* parent, const QString& title, const QString& meaning) : m_box(new QGroupBox(title, parent)) {
        auto* layout = new QVBoxLayout(m_box);
        m_grid = new QGridLayout;
        // The captions of every group line up, whichever is longest.
        m_grid->setColumnMinimumWidth(0, 130);
        auto* text = new QLabel(meaning, m_box);
        text->setWordWrap(true);
        m_grid->addWidget(text, 0, 2, 3, 1);
        m_grid->setColumnStretch(2, 1);
        layout->addLayout(m_grid);
        m_buttons = new QHBoxLayout;
        m_buttons->addStretch(1);
        layout->addLayout(m_buttons);
    }

    QLineEdit* addEdit(const QString& caption, const char* name, const QString& text) {
        auto* edit = new QLineEdit(text, m_box);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaximumWidth(110);
        m_grid->addWidget(new QLabel(caption, m_box), m_rows, 0);
        m_grid->addWidget(edit, m_rows++, 1);
        return edit;
    }

    QPushButton* addButton(const QString& caption, const char* name) {
        auto* button = new QPushButton(caption, m_box);
        button->setObjectName(QString::fromLatin1(name));
        m_buttons->addWidget(button);
        return button;
    }

    [[nodiscard]] QGroupBox* box() const { return m_box; }

private:
    QGroupBox* m_box;
    QGridLayout* m_grid = nullptr;
    QHBoxLayout* m_buttons = nullptr;
    int m_rows = 0;
};

}  // namespace

TValidateStrategyForm::TValidateStrategyForm(MessageBoxes& boxes, QWidget* parent) : QDialog(parent), m_boxes(boxes) {
    setWindowTitle(QStringLiteral("Validate Strategy..."));
    setModal(true);
    look::ApplyDialogLook(*this);

    Group walkForward(this, QStringLiteral(" Walk-Forward Validation "),
                      QStringLiteral("LO..HI is cut into Folds + 1 blocks; each later block is bet with the vector "
                                     "opt finds on the training matches before it. In-sample figures are what the "
                                     "search saw; out-of-sample figures are what it earned on new matches, and only "
                                     "an edge that holds there is real."));
    m_foldsEdit = walkForward.addEdit(QStringLiteral("Folds:"), "FoldsEdit", QStringLiteral("10"));
    m_trainingEdit = walkForward.addEdit(QStringLiteral("Training matches:"), "TrainingEdit", QStringLiteral("all"));
    m_walkForwardSpanEdit = walkForward.addEdit(QStringLiteral("Span:"), "WalkForwardSpanEdit", QString());
    QPushButton* runWalkForward = walkForward.addButton(QStringLiteral("[ Run Walk-Forward ]"), "RunWalkForwardButton");

    Group significance(this, QStringLiteral(" Significance of the Optimization "),
                       QStringLiteral("Each replica keeps the odds, draws every result from fair prices (the "
                                      "normalised inverse odds) and runs opt. The p-value is the share of replicas "
                                      "whose best score reaches the real one: below 0.05 the edge is unlikely to be "
                                      "the search's luck; above it the search alone can explain the result."));
    m_replicasEdit = significance.addEdit(QStringLiteral("Replicas:"), "ReplicasEdit", QStringLiteral("200"));
    m_seedEdit = significance.addEdit(QStringLiteral("Seed:"), "SeedEdit", QStringLiteral("1"));
    m_significanceSpanEdit = significance.addEdit(QStringLiteral("Span:"), "SignificanceSpanEdit", QString());
    QPushButton* runSignificance =
        significance.addButton(QStringLiteral("[ Run Significance Test ]"), "RunSignificanceButton");

    Group risk(this, QStringLiteral(" Risk of the Last Simulation "),
               QStringLiteral("The maximum drawdown, the longest losing run and the longest time under water of the "
                              "last sim or pe_sim, on the terminal. The chart's pop-up menu item Show Drawdown shades "
                              "the deepest drawdown and puts the figures in its title."));
    QPushButton* showRisk = risk.addButton(QStringLiteral("[ Show Risk Figures ]"), "ShowRiskButton");

    auto* close = new QPushButton(QStringLiteral("[ CLOSE ]"), this);
    close->setObjectName(QStringLiteral("CloseButton"));
    connect(runWalkForward, &QPushButton::clicked, this, &TValidateStrategyForm::RunWalkForwardButtonClick);
    connect(runSignificance, &QPushButton::clicked, this, &TValidateStrategyForm::RunSignificanceButtonClick);
    connect(showRisk, &QPushButton::clicked, this, &TValidateStrategyForm::ShowRiskButtonClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(walkForward.box());
    layout->addWidget(significance.box());
    layout->addWidget(risk.box());
    layout->addLayout(ButtonRow({close}));
    look::PutLastInTabOrder(*this, {runWalkForward, runSignificance, showRisk, close});
    resize(720, 480);
}

void TValidateStrategyForm::prepare(double defaultSpan, char decimalSeparator) {
    m_request.reset();
    const QString span = Text(FormatGeneral(defaultSpan, decimalSeparator));
    m_walkForwardSpanEdit->setText(span);
    m_significanceSpanEdit->setText(span);
    m_foldsEdit->setFocus();
}

void TValidateStrategyForm::RunWalkForwardButtonClick() {
    const auto folds = count(m_foldsEdit, QStringLiteral("Folds"), std::numeric_limits<int>::max());
    if (!folds) return;
    WalkForwardRequest request{*folds, std::nullopt, std::nullopt};
    const QString training = m_trainingEdit->text().trimmed();
    if (!training.isEmpty() && training != QStringLiteral("all")) {
        request.train = count(m_trainingEdit, QStringLiteral("Training matches"), std::numeric_limits<int>::max());
        if (!request.train) return;
    }
    request.span = span(m_walkForwardSpanEdit);
    if (request.span) choose(request);
}

void TValidateStrategyForm::RunSignificanceButtonClick() {
    const auto replicas = count(m_replicasEdit, QStringLiteral("Replicas"), kMostReplicas);
    if (!replicas) return;
    const auto seed = ParseSeed(Bytes(m_seedEdit->text().trimmed()));
    if (!seed) {
        refuse(m_seedEdit, QStringLiteral("Seed"), QStringLiteral("The seed must be a whole number from 0 on."));
        return;
    }
    const auto chosenSpan = span(m_significanceSpanEdit);
    if (chosenSpan) choose(SignificanceRequest{*replicas, *seed, chosenSpan});
}

void TValidateStrategyForm::ShowRiskButtonClick() {
    choose(RiskRequest{});
}

std::optional<int> TValidateStrategyForm::count(QLineEdit* edit, const QString& caption, int most) {
    const auto value = ParseCount(Bytes(edit->text().trimmed()), most);
    if (!value) {
        const QString upTo = most == std::numeric_limits<int>::max() ? QStringLiteral(" on")
                                                                     : QStringLiteral(" to ") + QString::number(most);
        refuse(edit, caption, caption + QStringLiteral(" must be a whole number from 1") + upTo + QStringLiteral("."));
    }
    return value;
}

std::optional<double> TValidateStrategyForm::span(QLineEdit* edit) {
    const auto value = ParseDecimal(Bytes(edit->text().trimmed()));
    if (!value) {
        refuse(edit, QStringLiteral("Span"),
               QStringLiteral("The span must be a number: the widest 1/kmin - 1/kMax opt may take."));
    }
    return value;
}

void TValidateStrategyForm::refuse(QLineEdit* edit, const QString& caption, const QString& text) {
    m_boxes.inform(this, caption, text);
    edit->setFocus();
    edit->selectAll();
}

void TValidateStrategyForm::choose(const ValidationRequest& request) {
    m_request = request;
    accept();
}

}  // namespace karvola::ui

#pragma once

#include <QDialog>
#include <optional>

#include "common/ui/MessageBoxes.h"
#include "validation/ValidationCommands.h"

class QLineEdit;
class QPushButton;

namespace karvola::ui {

// Tools > "Validate Strategy...": what the user asks of opt's result, a
// walk-forward validation, a significance test or the risk figures of the last
// simulation. The dialog only collects the request; the caller runs it.
class TValidateStrategyForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TValidateStrategyForm)

public:
    explicit TValidateStrategyForm(MessageBoxes& boxes, QWidget* parent = nullptr);

    // Before every showing: both spans become the last opt's, nothing is chosen yet.
    void prepare(double defaultSpan, char decimalSeparator);
    // What the user chose, once the dialog is accepted.
    [[nodiscard]] const std::optional<ValidationRequest>& request() const { return m_request; }

    void RunWalkForwardButtonClick();
    void RunSignificanceButtonClick();
    void ShowRiskButtonClick();

private:
    // The number in the edit, or a box naming the field and the focus on it.
    std::optional<int> count(QLineEdit* edit, const QString& caption, int most);
    std::optional<double> span(QLineEdit* edit);
    void refuse(QLineEdit* edit, const QString& caption, const QString& text);
    void choose(const ValidationRequest& request);

    MessageBoxes& m_boxes;
    std::optional<ValidationRequest> m_request;
    QLineEdit* m_foldsEdit = nullptr;
    QLineEdit* m_trainingEdit = nullptr;
    QLineEdit* m_walkForwardSpanEdit = nullptr;
    QLineEdit* m_replicasEdit = nullptr;
    QLineEdit* m_seedEdit = nullptr;
    QLineEdit* m_significanceSpanEdit = nullptr;
};

}  // namespace karvola::ui

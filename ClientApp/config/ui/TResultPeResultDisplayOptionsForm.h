#pragma once

#include <QDialog>
#include <array>
#include <cstddef>

#include "config/MatchConfig.h"

class QCheckBox;

namespace karvola::ui {

// Which lines the result and pe_result reports show: one check box per
// position of the configuration's options text. OK stores, Cancel does not.
class TResultPeResultDisplayOptionsForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TResultPeResultDisplayOptionsForm)

public:
    static constexpr std::size_t kPositions = 12;

    explicit TResultPeResultDisplayOptionsForm(MatchConfig& config, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormActivate();
    void OkSpeedButtonClick();
    void CancelSpeedButtonClick();

    MatchConfig& m_config;
    std::array<QCheckBox*, kPositions> m_checkBoxes{};
};

}  // namespace karvola::ui

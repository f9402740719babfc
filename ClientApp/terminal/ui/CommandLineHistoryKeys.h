#pragma once

#include <QObject>
#include <QString>

class QComboBox;

namespace karvola::ui {

// Up and Down on the command line walk its history newest first, as a shell
// does: Up from the line being typed recalls the last command entered, Down
// goes back towards it and then to what was being typed. The drop-down list
// keeps the order the commands were entered in.
class CommandLineHistoryKeys final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CommandLineHistoryKeys)

public:
    // Watches the combo box for the rest of its life; owned by it.
    static void Attach(QComboBox& commandLine);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CommandLineHistoryKeys(QComboBox& commandLine);
    void step(int by);

    QComboBox& m_commandLine;
    // The item shown, or -1 for the line being typed.
    int m_shown = -1;
    QString m_typed;
};

}  // namespace karvola::ui

#pragma once

#include <QPlainTextEdit>
#include <QSize>

namespace karvola::ui {

// The terminal screen: read-only, silver on black, in a fixed-pitch font. It
// follows its output as terminals do: after any output, resize or re-wrap the
// newest line is in view, unless the user has scrolled up to read something;
// scrolling back to the end, or entering a command, resumes following.
class TerminalScreen final : public QPlainTextEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminalScreen)

public:
    // The widest lines the program writes by itself: the banner's rules are 87
    // characters, and one column is left for the wrap margin.
    static constexpr int kColumns = 88;
    static constexpr int kRows = 28;

    explicit TerminalScreen(QWidget* parent = nullptr);

    [[nodiscard]] bool followsOutput() const { return m_following; }
    // Back to the newest line, following from now on.
    void followOutput();

    // Room for kColumns characters per line and kRows lines.
    [[nodiscard]] QSize sizeHint() const override;

signals:
    // A printable key was pressed here; the character itself goes nowhere.
    void printableKeyPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void userScrolled();
    void rangeChanged(int maximum);

    bool m_following = true;
};

}  // namespace karvola::ui

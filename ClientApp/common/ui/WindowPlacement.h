#pragma once

#include <QObject>
#include <QPoint>
#include <optional>

class QWidget;

namespace karvola::ui {

// Keeps a window that lives for the whole run where the user last had it. Left
// alone, a window manager places a window anew each time it is shown again,
// and a dialog centres itself anew from frame sizes that are only known after
// its first showing, so it creeps down by a title bar. The first showing is
// left to Qt (a dialog centres on its parent); every later one reopens where
// the window was when it was hidden. Its size Qt keeps by itself.
class WindowPlacement final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowPlacement)

public:
    // Watches the window for the rest of its life; owned by it.
    static void Keep(QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit WindowPlacement(QWidget& window);

    QWidget& m_window;
    std::optional<QPoint> m_position;
};

}  // namespace karvola::ui

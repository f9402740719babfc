#pragma once

#include <QObject>
#include <QPoint>
#include <optional>

class QWidget;

namespace karvola::ui {

// Keeps a window that lives for the whole run where the user last had it. Left
// alone, a window manager places a window anew each time it is shown again, and
// a dialog centres itself anew from frame sizes that are only known after its
// first showing, so it creeps down by a title bar. Positions here are those of
// the window's contents, which do not depend on the frame. Its size Qt keeps.
class WindowPlacement final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WindowPlacement)

public:
    enum class FirstShowing {
        ByWindowManager,  // wherever the window manager puts a new window
        CentredOnParent,  // over the middle of the window it belongs to, as dialogs open
    };

    // Watches the window for the rest of its life; owned by it.
    static void Keep(QWidget& window, FirstShowing first);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPlacement(QWidget& window, FirstShowing first);
    [[nodiscard]] std::optional<QPoint> positionForShowing() const;
    void placeAt(const QPoint& position);

    QWidget& m_window;
    FirstShowing m_first;
    std::optional<QPoint> m_position;  // where the window was when last hidden
};

}  // namespace karvola::ui

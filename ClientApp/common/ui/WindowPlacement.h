#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <functional>
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
        BesideParent,     // a result window: see FirstResultFrame
    };

    // The part of the parent window a result window may cover, in screen
    // coordinates: what lies below it (the command line, the newest lines)
    // must stay in sight.
    using CoverableArea = std::function<QRect()>;

    // Watches the window for the rest of its life; owned by it.
    static void Keep(QWidget& window, FirstShowing first, CoverableArea coverable = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowPlacement(QWidget& window, FirstShowing first, CoverableArea coverable);
    [[nodiscard]] std::optional<QRect> geometryForShowing() const;
    [[nodiscard]] QRect besideParent(const QWidget& parent) const;
    void placeAt(const QRect& geometry);

    QWidget& m_window;
    FirstShowing m_first;
    CoverableArea m_coverable;
    std::optional<QPoint> m_position;  // where the window was when last hidden
};

// Where a result window's frame goes when it first opens, so that the main
// window's command line and newest terminal lines stay in sight: beside the
// main window where the screen has room for the whole frame (right first,
// then left), else at the top of the coverable area, aligned with the main
// window's right edge and shortened to end above what must stay in sight.
// All rectangles are frames in screen coordinates.
QRect FirstResultFrame(const QSize& frame, const QRect& mainFrame, const QRect& coverable, const QRect& available);

}  // namespace karvola::ui

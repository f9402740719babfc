#pragma once

class QUrl;
class QWidget;

namespace karvola::ui {

class MessageBoxes;

// Opens an address in the user's browser, or a local document in its viewer.
// When the document is missing, or no browser or viewer could be started, a
// box says so with the path or address, so that the user can open it another
// way: Qt only tells standard error.
void OpenExternally(const QUrl& url, MessageBoxes& boxes, QWidget* parent);

}  // namespace karvola::ui

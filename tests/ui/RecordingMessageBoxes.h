#pragma once

#include <QStringList>
#include <deque>

#include "common/ui/MessageBoxes.h"

namespace karvola::testing {

// Message boxes that record what they were asked to show and answer from a queue
// (Yes when nothing was queued).
class RecordingMessageBoxes final : public ui::MessageBoxes {
public:
    void inform(QWidget*, const QString& caption, const QString& text) override {
        captions << caption;
        texts << text;
    }
    void tell(QWidget* parent, const QString& caption, const QString& text) override { inform(parent, caption, text); }
    QMessageBox::StandardButton ask(QWidget*, const QString& caption, const QString& text,
                                    QMessageBox::StandardButtons) override {
        captions << caption;
        texts << text;
        if (answers.empty()) return QMessageBox::Yes;
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }

    QStringList captions;
    QStringList texts;
    std::deque<QMessageBox::StandardButton> answers;
};

}  // namespace karvola::testing

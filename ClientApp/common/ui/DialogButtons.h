#pragma once

#include <QHBoxLayout>
#include <QPushButton>
#include <initializer_list>

namespace karvola::ui {

// The buttons at the foot of a dialog, right-aligned in the order given.
inline QHBoxLayout* ButtonRow(std::initializer_list<QPushButton*> buttons) {
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* button : buttons) row->addWidget(button);
    return row;
}

}  // namespace karvola::ui

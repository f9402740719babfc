#pragma once

#include <QStringList>
#include <initializer_list>

namespace karvola::testing {

// The texts a window should show, written as plain literals in the tests.
inline QStringList Latin1Texts(std::initializer_list<const char*> texts) {
    QStringList list;
    for (const char* text : texts) list << QString::fromLatin1(text);
    return list;
}

}  // namespace karvola::testing

#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <filesystem>
#include <string>
#include <string_view>

namespace karvola::ui {

// The core's texts are 8-bit bytes; the windows show them as Latin-1.
inline QString Text(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

// What the user typed, as the core's 8-bit bytes; characters beyond Latin-1 become "?".
inline std::string Bytes(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// File names are UTF-8 on this system, unlike the core's other texts.
inline QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}
inline std::filesystem::path PathOf(const QString& text) {
    return text.toStdString();
}
// A file name the core holds as bytes, in the user's file-name encoding.
inline QString FileNameText(std::string_view bytes) {
    return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

}  // namespace karvola::ui

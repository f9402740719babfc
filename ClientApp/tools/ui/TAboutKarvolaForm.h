#pragma once

#include <QDialog>
#include <QString>

class QLabel;

namespace karvola::ui {

// The About box: product, version, release date, the maker's web address
// (opened in the browser when clicked) and the licence agreement.
class TAboutKarvolaForm final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAboutKarvolaForm)

public:
    explicit TAboutKarvolaForm(QWidget* parent = nullptr);

    void setReleaseDate(const QString& date);

private:
    QLabel* m_releaseDateLabel = nullptr;
};

}  // namespace karvola::ui

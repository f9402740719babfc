#include "tools/ui/TAboutKarvolaForm.h"

#include <QDesktopServices>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

#include "common/Version.h"
#include "common/ui/ClickableLabel.h"
#include "common/ui/KarvolaLook.h"
#include "common/ui/QtText.h"

namespace karvola::ui {

namespace {

constexpr const char* kLicenceAgreement =
    "KARVOLA SINGLE-USER LICENCE AGREEMENT\n"
    "\n"
    "1. This licence lets one person install and use Karvola on the computers that person uses. "
    "The software may not be resold, rented or shared with other users.\n"
    "\n"
    "2. The software is provided \"as is\", without warranty of any kind, express or implied, "
    "including fitness for a particular purpose. The maker is not liable for any loss or damage "
    "arising from its use.\n"
    "\n"
    "3. Karvola analyses past odds and results; it does not predict the future. Betting involves "
    "the risk of losing the money staked. Bet only what you can afford to lose, and only where "
    "betting is legal for you.\n"
    "\n"
    "By using the software you accept these terms.";

QLabel* CentredLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignHCenter);
    return label;
}

}  // namespace

TAboutKarvolaForm::TAboutKarvolaForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About Karvola..."));
    setModal(true);
    look::ApplyDialogLook(*this);
    auto* layout = new QVBoxLayout(this);

    QLabel* product = CentredLabel(QStringLiteral("Karvola"), this);
    QFont productFont = product->font();
    productFont.setPointSize(productFont.pointSize() * 2);
    productFont.setBold(true);
    product->setFont(productFont);
    layout->addWidget(product);
    layout->addWidget(CentredLabel(QStringLiteral("The Professional Odds Analysis System"), this));
    layout->addWidget(CentredLabel(Text(kAboutVersion), this));
    m_releaseDateLabel = CentredLabel(QStringLiteral("Release Date: "), this);
    m_releaseDateLabel->setObjectName(QStringLiteral("ReleaseDateLabel"));
    layout->addWidget(m_releaseDateLabel);

    auto* web = new ClickableLabel(this);
    web->setObjectName(QStringLiteral("WebAddressLabel"));
    web->setText(Text(kMakerWebAddress));
    QFont linkFont = web->font();
    linkFont.setUnderline(true);
    web->setFont(linkFont);
    connect(web, &ClickableLabel::clicked, this,
            [] { QDesktopServices::openUrl(QUrl(QStringLiteral("http://") + Text(kMakerWebAddress))); });
    layout->addWidget(web, 0, Qt::AlignHCenter);  // only the address itself is clickable
    QLabel* gpl = CentredLabel(QStringLiteral("Licensed under the GNU GPL v3 or later"), this);
    gpl->setObjectName(QStringLiteral("GplLabel"));
    layout->addWidget(gpl);

    auto* licence = new QPlainTextEdit(QString::fromLatin1(kLicenceAgreement), this);
    licence->setObjectName(QStringLiteral("LicenceAgreementMemo"));
    licence->setReadOnly(true);
    licence->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    licence->setMinimumSize(380, 180);
    layout->addWidget(licence, 1);

    auto* close = new QPushButton(QStringLiteral("[  Close  ]"), this);
    close->setObjectName(QStringLiteral("CloseSpeedButton"));
    close->setFlat(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(close);
    buttons->addStretch(1);
    layout->addLayout(buttons);
}

void TAboutKarvolaForm::setReleaseDate(const QString& date) {
    m_releaseDateLabel->setText(QStringLiteral("Release Date: ") + date);
}

}  // namespace karvola::ui

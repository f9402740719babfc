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

// The licence the program is distributed under (Qt Charts asks for the GPL), in
// the words the GPL's own "How to Apply" gives for a program's notice.
constexpr const char* kLicenceAgreement =
    "Karvola, the football betting odds analysis workstation\n"
    "Copyright (C) 2026 the Karvola developers\n"
    "\n"
    "This program is free software: you can redistribute it and/or modify it under the terms of the "
    "GNU General Public License as published by the Free Software Foundation, either version 3 of the "
    "License, or (at your option) any later version.\n"
    "\n"
    "This program is distributed in the hope that it will be useful, but WITHOUT ANY WARRANTY; without "
    "even the implied warranty of MERCHANTABILITY or FITNESS FOR A PARTICULAR PURPOSE. See the GNU "
    "General Public License for more details.\n"
    "\n"
    "You should have received a copy of the GNU General Public License along with this program (on "
    "Debian in /usr/share/common-licenses/GPL-3). If not, see <https://www.gnu.org/licenses/>.\n"
    "\n"
    "The terminal's font, Liberation Mono, is under the SIL Open Font License 1.1.\n"
    "\n"
    "Karvola analyses past odds and results; it does not predict the future. Betting involves "
    "the risk of losing the money staked. Bet only what you can afford to lose, and only where "
    "betting is legal for you.";

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

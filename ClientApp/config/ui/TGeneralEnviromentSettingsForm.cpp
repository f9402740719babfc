#include "config/ui/TGeneralEnviromentSettingsForm.h"

#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>
#include <stdexcept>
#include <string>
#include <string_view>

#include "common/ui/QtText.h"
#include "config/TimeZones.h"
#include "config/ui/SettingsDialogFrame.h"

namespace karvola::ui {

namespace {

QGroupBox* Group(const QString& title, QWidget* parent, QWidget* content, QWidget* besides = nullptr) {
    auto* group = new QGroupBox(title, parent);
    auto* layout = new QHBoxLayout(group);
    layout->addWidget(content, 1);
    if (besides != nullptr) layout->addWidget(besides);
    return group;
}

}  // namespace

QString ChooseDataSourceFile(QWidget* parent, const DataSourceFileRequest& request) {
    QFileDialog dialog(parent, request.caption, request.directory, request.filter);
    const bool save = request.purpose == DataSourceFileRequest::Purpose::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

TGeneralEnviromentSettingsForm::TGeneralEnviromentSettingsForm(MatchConfig& config,
                                                               std::filesystem::path applicationDirectory,
                                                               MessageBoxes& boxes, QWidget* parent)
    : QDialog(parent), m_config(config), m_applicationDirectory(std::move(applicationDirectory)), m_boxes(boxes) {
    const SettingsDialogFrame frame(*this, QStringLiteral("General Enviroment Settings..."),
                                    QStringLiteral("Settings"));
    QWidget* page = frame.page();

    m_dataSourceFileNameEdit = new QLineEdit(page);
    m_dataSourceFileNameEdit->setObjectName(QStringLiteral("DataSourceFileNameEdit"));
    m_dataSourceFileNameEdit->setMinimumWidth(320);
    auto* browse = new QPushButton(QStringLiteral("[ Browse...]"), page);
    browse->setObjectName(QStringLiteral("BrowseSpeedButton"));
    browse->setFlat(true);
    connect(browse, &QPushButton::clicked, this, &TGeneralEnviromentSettingsForm::BrowseSpeedButtonClick);

    m_timeZoneComboBox = new QComboBox(page);
    m_timeZoneComboBox->setObjectName(QStringLiteral("TimeZoneComboBox"));
    for (const std::string_view entry : TimeZones::kEntries) {
        m_timeZoneComboBox->addItem(Text(entry));
    }
    // Nothing chosen until a valid bias is read.
    m_timeZoneComboBox->setCurrentIndex(-1);

    m_uidEdit = new QLineEdit(page);
    m_uidEdit->setObjectName(QStringLiteral("UIDEdit"));

    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Group(QStringLiteral(" Default Data Source "), page, m_dataSourceFileNameEdit, browse));
    layout->addWidget(Group(QStringLiteral(" Current Time Zone "), page, m_timeZoneComboBox));
    layout->addWidget(Group(QStringLiteral(" Unique Indentity Key "), page, m_uidEdit));

    frame.okButton()->setObjectName(QStringLiteral("OKSpeedButton"));
    frame.cancelButton()->setObjectName(QStringLiteral("CancelSpeedButton"));
    connect(frame.okButton(), &QPushButton::clicked, this, &TGeneralEnviromentSettingsForm::OKSpeedButtonClick);
    connect(frame.cancelButton(), &QPushButton::clicked, this, &TGeneralEnviromentSettingsForm::CancelSpeedButtonClick);
    frame.finishTabOrder(*this);
}

void TGeneralEnviromentSettingsForm::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous()) FormActivate();
}

void TGeneralEnviromentSettingsForm::FormActivate() {
    selectTimeZone();
    showDataSource(PathText(m_config.GetDataSource()));
    m_uidEdit->setText(Text(m_config.GetUIDKey()));
    // A hidden dialog keeps its focus: without this it would reopen on the
    // button or field used last.
    m_dataSourceFileNameEdit->setFocus();
}

// A bias outside the list leaves the selection as it was; one that is no number clears it.
void TGeneralEnviromentSettingsForm::selectTimeZone() {
    int bias = 0;
    try {
        bias = m_config.GetTimeZoneBias();
    } catch (const std::logic_error& error) {
        m_timeZoneComboBox->setCurrentIndex(-1);
        // Once the dialog is up, so that the box shows over it.
        QMetaObject::invokeMethod(
            this, [this, text = Text(error.what())] { m_boxes.inform(this, QStringLiteral("Error"), text); },
            Qt::QueuedConnection);
        return;
    }
    if (const auto index = TimeZones::indexOf(bias)) m_timeZoneComboBox->setCurrentIndex(static_cast<int>(*index));
}

void TGeneralEnviromentSettingsForm::showDataSource(const QString& path) {
    m_dataSourceFileNameEdit->setText(path);
    m_dataSourceFileNameEdit->setToolTip(path);
}

void TGeneralEnviromentSettingsForm::BrowseSpeedButtonClick() {
    const QString text = m_dataSourceFileNameEdit->text();
    // With nothing typed the dialog starts in the application directory: "DataSource" counts as a file name.
    const std::filesystem::path current = text.isEmpty() ? m_applicationDirectory / "DataSource" : PathOf(text);
    const DataSourceFileRequest request{QStringLiteral("Browse Default Data Source File Name..."),
                                        PathText(current.parent_path()), QStringLiteral("DataSource files (*.txt)"),
                                        QStringLiteral("txt"), DataSourceFileRequest::Purpose::Open};
    const QString chosen = m_chooseFile(this, request);
    if (!chosen.isEmpty()) showDataSource(chosen);
}

void TGeneralEnviromentSettingsForm::OKSpeedButtonClick() {
    m_config.SetDataSource(PathOf(m_dataSourceFileNameEdit->text()).string());
    m_config.SetUIDKey(Bytes(m_uidEdit->text()));
    const int index = m_timeZoneComboBox->currentIndex();
    m_config.SetTimeZoneBias(index < 0 ? 0 : TimeZones::biasOf(static_cast<std::size_t>(index)).value_or(0));
    accept();
}

void TGeneralEnviromentSettingsForm::CancelSpeedButtonClick() {
    reject();
}

}  // namespace karvola::ui

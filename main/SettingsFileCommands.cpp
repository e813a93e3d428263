// The File menu: open and save settings files, and the menu's repeats of
// the read, upload and factory-reset commands of the configuration pages.
#include "main/MainUnit.h"

#include "config/SettingsFile.h"
#include "forms/ConfigPagesUi.h"
#include "platform/vcl/Dialogs.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>

namespace {

const QString SettingsFilter = QStringLiteral("config files (*.cfg *.CFG)");

// Where a dialog starts: the last settings file when it is still there, else
// its folder.
QString startOf(const QString &configPath)
{
    const QFileInfo info(configPath);
    if (info.isFile() || info.isDir())
        return configPath;
    return info.absoluteDir().exists() ? info.absolutePath() : QString();
}

QString askForFile(QWidget *parent, QFileDialog::AcceptMode mode, const QString &start)
{
    QFileDialog dialog(parent, QString(), start, SettingsFilter);
    dialog.setAcceptMode(mode);
    if (mode == QFileDialog::AcceptSave) {
        dialog.setDefaultSuffix(QStringLiteral("cfg"));
        // The command asks its own question before it replaces a file.
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    } else {
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().constFirst();
}

} // namespace

void TMainForm::WireSettingsFileCommands()
{
    ChooseSettingsFileToOpen = [this](const QString &start) {
        return askForFile(this, QFileDialog::AcceptOpen, start);
    };
    ChooseSettingsFileToSave = [this](const QString &start) {
        return askForFile(this, QFileDialog::AcceptSave, start);
    };
    connect(Open, &QAction::triggered, this, &TMainForm::OpenClick);
    connect(Save, &QAction::triggered, this, &TMainForm::SaveClick);
}

void TMainForm::OpenClick()
{
    if (!ChooseSettingsFileToOpen)
        return;
    const QString chosen = ChooseSettingsFileToOpen(startOf(ConfigPath));
    if (chosen.isEmpty())
        return;
    const QString name = SettingsFileName(chosen);
    // A file that cannot be read, or that holds no settings, leaves the
    // pages, the unit name, the flags and the caption as they were.
    if (const SettingsFileResult loaded = LoadSettingsFile(name); !loaded) {
        vcl::MessageDlg(loaded.error, vcl::MsgType::Error, vcl::MsgButton::Ok, this);
        return;
    }
    // The unit's name is no part of a settings file.
    Config.EditBoxName->clear();
    // The next link tick brings the lists in line with the loaded names.
    RefreshPending = 1;
    // The caption names the file as chosen, whatever extension was read.
    ConfigFileName = QFileInfo(chosen).fileName();
    SettingsModified = 0;
    ReadFromDevice = 0;
    FileLoaded = 1;
}

void TMainForm::SaveClick()
{
    if (!ChooseSettingsFileToSave)
        return;
    const QString chosen = ChooseSettingsFileToSave(startOf(ConfigPath));
    if (chosen.isEmpty())
        return;
    // The question is about the file that will be written, extension and all.
    const QString name = QFileInfo(SettingsFileName(chosen)).absoluteFilePath();
    if (QFileInfo::exists(name) &&
        vcl::MessageDlg(QStringLiteral("File already exists: '%1'\nOverwrite ?").arg(name),
                        vcl::MsgType::Warning, vcl::MsgButton::Yes | vcl::MsgButton::No,
                        this) != vcl::MsgButton::Yes)
        return;
    // A menu click leaves the focus in an edit that may hold a refresh time
    // typed below its minimum.
    HoldRefreshTimes();
    if (const SettingsFileResult saved = SaveSettingsFile(name); !saved) {
        // The box of a file that cannot be created asks Yes or No; the answer changes nothing.
        vcl::MessageDlg(
            saved.error, vcl::MsgType::Error,
            saved.notCreated ? vcl::MsgButton::Yes | vcl::MsgButton::No : vcl::MsgButton::Ok, this);
        return;
    }
    SettingsModified = 0;
    // The name chosen is kept where that file exists; else the one written.
    const QString chosenPath = QFileInfo(chosen).absoluteFilePath();
    ConfigPath = QFileInfo::exists(chosenPath) ? chosenPath : name;
}

void TMainForm::Read2Click()
{
    BtnLoadClick();
}

void TMainForm::Upload1Click()
{
    BtnSaveClick();
}

void TMainForm::DefaultClick()
{
    BtnDefaultValueClick();
}

void TMainForm::Connection1Click()
{
    USB1Click();
}

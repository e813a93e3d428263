// File > Open and File > Save: the dialogs, the questions around them and
// the state the main window keeps about the current settings.
#include "tests/main/MainRig.h"

#include "config/Settingsunit.h"
#include "forms/ConfigPagesUi.h"
#include "tests/config/SettingsSnapshot.h"
#include "tests/config/config_fixture.h"
#include "tests/support/PatternHex.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <random>
#include <utility>

using testsupport::MainRig;

namespace {

QByteArray readAll(const QString &name)
{
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

struct FileRig : MainRig
{
    QTemporaryDir files;
    QStringList starts; // where each dialog started
    QString answer;     // the file the user picks; empty cancels

    FileRig()
    {
        FillCanExportEdits(main().Config);
        const auto choose = [this](const QString &start) {
            starts << start;
            return answer;
        };
        main().ChooseSettingsFileToOpen = choose;
        main().ChooseSettingsFileToSave = choose;
    }
    QString path(const QString &name) const { return files.filePath(name); }
    struct Flags
    {
        int fileLoaded, readFromDevice, modified, refresh;
        QString fileName, configPath;
        bool operator==(const Flags &) const = default;
    };
    Flags flags()
    {
        TMainForm &m = main();
        return {m.FileLoaded,     m.ReadFromDevice, m.SettingsModified,
                m.RefreshPending, m.ConfigFileName, m.ConfigPath};
    }
};

TEST(SettingsFileCommands, SaveAsksBeforeReplacingAFile)
{
    FileRig r;
    TMainForm &m = r.main();
    SetInputName(1, "Horn");
    m.SettingsModified = 1;
    // Refresh times typed below their minimum, the focus still in their
    // edits (a menu click does not take it): saved as the minimum.
    for (QLineEdit *edit : {m.Config.Edit_REFRESS_Export[2], m.Config.Edit_REFRESS_Export[4]})
        edit->selectAll();
    MainRig::type(m.Config.Edit_REFRESS_Export[2], "5");
    MainRig::type(m.Config.Edit_REFRESS_Export[4], "\b");
    r.answer = r.path("NEW");
    m.Save->trigger();
    const QString saved = r.path("NEW.cfg");
    ASSERT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
    EXPECT_TRUE(readAll(saved).startsWith("[INPUT]\r\nNAME1=Horn\r\n"));
    EXPECT_TRUE(readAll(saved).contains("[CAN_EXPORT_2]\r\nENABLED=0\r\nCAN_ID=0\r\n"
                                        "REFRESS_TIME=20\r\n"));
    EXPECT_TRUE(readAll(saved).contains("[CAN_EXPORT_4]\r\nENABLED=0\r\nCAN_ID=0\r\n"
                                        "REFRESS_TIME=20\r\n"));
    EXPECT_EQ(m.Config.Edit_REFRESS_Export[2]->text(), "20");
    EXPECT_EQ(m.ConfigPath, saved);
    EXPECT_EQ(m.SettingsModified, 0);
    EXPECT_EQ(m.FileLoaded, 0);

    // Saving to it again asks first; No leaves the file as it was.
    const QByteArray before = readAll(saved);
    SetInputName(1, "Beeper");
    m.SettingsModified = 1;
    r.dialogs.answer(vcl::MsgButton::No);
    m.SaveClick();
    ASSERT_EQ(r.dialogs.count(), 1);
    EXPECT_EQ(r.dialogs.last().text, "File already exists: '" + saved + "'\nOverwrite ?");
    EXPECT_EQ(r.dialogs.last().type, vcl::MsgType::Warning);
    EXPECT_EQ(readAll(saved), before);
    EXPECT_EQ(m.SettingsModified, 1);
    r.dialogs.answer(vcl::MsgButton::Yes);
    m.SaveClick();
    EXPECT_TRUE(readAll(saved).startsWith("[INPUT]\r\nNAME1=Beeper\r\n"));
    EXPECT_EQ(m.SettingsModified, 0);
    // The dialogs start from the last file saved.
    EXPECT_EQ(r.starts.last(), saved);

    // A folder that is not there: the user is told, nothing changes.
    m.SettingsModified = 1;
    r.answer = r.path("gone/x.cfg");
    const FileRig::Flags unchanged = r.flags();
    m.SaveClick();
    ASSERT_EQ(r.dialogs.count(), 3);
    EXPECT_TRUE(r.dialogs.last().text.startsWith("Unable to create file: '" + r.answer + "'"));
    EXPECT_EQ(r.dialogs.last().type, vcl::MsgType::Error);
    EXPECT_EQ(r.dialogs.last().buttons, vcl::MsgButton::Yes | vcl::MsgButton::No);
    EXPECT_EQ(r.flags(), unchanged);
}

// The settings file has the extension ".cfg" in any case, other ones are
// replaced; the caption keeps the name chosen.
TEST(SettingsFileCommands, TheChosenNameIsKept)
{
    FileRig r;
    TMainForm &m = r.main();
    const struct
    {
        const char *chosen, *written, *caption;
    } cases[] = {
        {"truck.CFG", "truck.CFG", "truck.CFG"},
        {"truck.txt", "truck.cfg", "truck.txt"},
        {"bus.cfg", "bus.cfg", "bus.cfg"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.chosen);
        QDir(r.files.path()).removeRecursively();
        QDir().mkpath(r.files.path());
        SetOutputName(4, "Beacon");
        r.answer = r.path(c.chosen);
        m.SaveClick();
        EXPECT_EQ(QDir(r.files.path()).entryList(QDir::Files), QStringList{c.written});
        EXPECT_EQ(m.ConfigPath, r.path(c.written));
        SetOutputName(4, "Changed");
        QFile::copy(r.path(c.written), r.path(c.chosen));
        m.OpenClick();
        EXPECT_EQ(GetOutputName(4), "Beacon");
        EXPECT_EQ(m.ConfigFileName, c.caption);
    }
    EXPECT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
}

// A folder that holds only TRUCK.CFG, as the Open dialog lists it: Open reads
// that file, and Save writes it again after the question, with no second file
// beside it.
TEST(SettingsFileCommands, AnUpperCaseExtensionIsTheFileChosen)
{
    FileRig r;
    TMainForm &m = r.main();
    const QString truck = r.path("TRUCK.CFG");
    {
        QFile file(truck);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("[OUTPUT]\r\nNAME3=Work light\r\n");
    }
    r.answer = truck;
    m.OpenClick();
    ASSERT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(GetOutputName(3), "Work light");
    EXPECT_EQ(m.ConfigFileName, "TRUCK.CFG");
    EXPECT_EQ(m.FileLoaded, 1);

    SetOutputName(3, "Beacon");
    r.dialogs.answer(vcl::MsgButton::Yes);
    m.SaveClick();
    ASSERT_EQ(r.dialogs.count(), 1);
    EXPECT_EQ(r.dialogs.last().text, "File already exists: '" + truck + "'\nOverwrite ?");
    EXPECT_EQ(QDir(r.files.path()).entryList(QDir::Files), QStringList{"TRUCK.CFG"});
    EXPECT_TRUE(readAll(truck).contains("\r\nNAME3=Beacon\r\n"));
    EXPECT_EQ(m.ConfigPath, truck);
}

// A main window just started: a HEX file chosen by mistake changes no page,
// no flag, the caption nor the unit name; the box names the file.
TEST(SettingsFileCommands, AFreshWindowRefusesAFileWithoutSettings)
{
    FileRig r;
    TMainForm &m = r.main();
    m.Config.EditBoxName->setText("Unit 3");
    m.TimerVersionTimer();
    const QString caption = m.windowTitle();
    const std::vector<QWidget *> pages(m.Pages.begin() + TMainFormUi::PageInputs, m.Pages.end());
    const QStringList before = testsupport::SettingsSnapshot(pages);
    const FileRig::Flags flags = r.flags();
    r.answer = r.path("firmware.cfg");
    QFile hex(r.answer);
    ASSERT_TRUE(hex.open(QIODevice::WriteOnly));
    hex.write(QByteArray::fromStdString(testsupport::patternHex(2)));
    hex.close();

    m.Open->trigger();
    ASSERT_EQ(r.dialogs.count(), 1);
    EXPECT_TRUE(r.dialogs.last().text.startsWith("'" + r.answer + "' is not a settings file."));
    EXPECT_EQ(testsupport::SnapshotDiff(before, testsupport::SettingsSnapshot(pages)), "");
    EXPECT_EQ(r.flags(), flags);
    EXPECT_EQ(m.Config.EditBoxName->text(), "Unit 3");
    m.TimerVersionTimer();
    EXPECT_EQ(m.windowTitle(), caption);
}

TEST(SettingsFileCommands, OpenReplacesThePagesAndMarksTheFile)
{
    FileRig r;
    TMainForm &m = r.main();
    SetOutputName(7, "Fog light");
    r.answer = r.path("truck.cfg");
    m.SaveClick();
    SetOutputName(7, "Changed");
    m.Config.EditBoxName->setText("Unit 7");
    m.ReadFromDevice = 1;
    m.SettingsModified = 1;

    // Cancelling changes nothing.
    r.answer.clear();
    const FileRig::Flags before = r.flags();
    m.Open->trigger();
    EXPECT_EQ(r.flags(), before);
    EXPECT_EQ(GetOutputName(7), "Changed");

    // A file that cannot be read: told, nothing changes.
    r.answer = r.path("missing.cfg");
    m.OpenClick();
    ASSERT_EQ(r.dialogs.count(), 1);
    EXPECT_TRUE(r.dialogs.last().text.startsWith("Unable to read file: '" + r.answer + "'"));
    EXPECT_EQ(r.flags(), before);
    EXPECT_EQ(GetOutputName(7), "Changed");

    r.answer = r.path("truck.cfg");
    m.OpenClick();
    EXPECT_EQ(r.dialogs.count(), 1);
    EXPECT_EQ(GetOutputName(7), "Fog light");
    EXPECT_EQ(m.Config.EditBoxName->text(), "");
    EXPECT_EQ(r.flags(), (FileRig::Flags{1, 0, 0, 1, "truck.cfg", r.path("truck.cfg")}));
    m.TimerVersionTimer();
    EXPECT_EQ(m.windowTitle(), "Tessaron Tool - [ truck.cfg ]");

    // Files that hold no settings: told, with their names; the pages, the
    // unit name, the flags and the caption stay as they were.
    QByteArray noise(3000, '\0');
    std::mt19937 random(17);
    for (char &byte : noise)
        byte = static_cast<char>(random() & 0xFF);
    const std::pair<const char *, QByteArray> refused[] = {
        {"firmware.cfg", QByteArray::fromStdString(testsupport::patternHex(2))},
        {"noise.cfg", noise},
        {"empty.cfg", QByteArray()},
    };
    SetOutputName(7, "Changed");
    m.Config.EditBoxName->setText("Unit 7");
    m.SettingsModified = 1;
    for (const auto &[file, bytes] : refused) {
        SCOPED_TRACE(file);
        r.answer = r.path(file);
        QFile f(r.answer);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        const FileRig::Flags kept = r.flags();
        const int boxes = r.dialogs.count();
        m.OpenClick();
        ASSERT_EQ(r.dialogs.count(), boxes + 1);
        EXPECT_TRUE(r.dialogs.last().text.startsWith("'" + r.answer + "' is not a settings file."))
            << r.dialogs.last().text.toStdString();
        EXPECT_EQ(r.dialogs.last().type, vcl::MsgType::Error);
        EXPECT_EQ(r.flags(), kept);
        EXPECT_EQ(GetOutputName(7), "Changed");
        EXPECT_EQ(m.Config.EditBoxName->text(), "Unit 7");
        m.TimerVersionTimer();
        EXPECT_EQ(m.windowTitle(), "Tessaron Tool - [ truck.cfg ]");
    }
}

} // namespace

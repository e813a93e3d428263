// Settings files through the real windows, worker thread and paced simulated
// unit: what was read from a unit, saved and opened again after the unit
// changed is what the unit held when it was saved.
#include "tests/app/E2ERig.h"
#include "tests/config/SettingsSnapshot.h"
#include "tests/config/modal_watchdog.h"

#include "config/Settingsunit.h"
#include "sim/SettingsMemory.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>

#include <gtest/gtest.h>

using testsupport::E2ERig;
using testsupport::SettingsSnapshot;
using testsupport::SnapshotDiff;

namespace {

// The factory set with something changed in every block.
sim::SettingsMemory workshopSettings()
{
    sim::SettingsMemory m = sim::SettingsMemory::factory();
    m.inputs[2] = {sim::nameField<15>("Door \xC4 left"), 1};
    m.outputs[4].name = sim::nameField<15>("Fog lamp");
    m.outputs[4].trigger = 0xD2;
    m.outputs[4].triggerLevel = 16;
    m.outputs[4].maxCurrentTenths = 123;
    m.outputs[20].trigger = 40;
    m.outputs[20].onTimeTenths = 55;
    m.lowBattery = {110, 125, {3, 4, 30, 255, 255, 255, 255, 255, 255, 255, 255, 255}};
    m.canSetup.bitRateKbit = 500;
    m.canSetup.resetErrorDataByte = 5;
    sim::CanInputSettings &can = m.canInputs[9];
    can.enabled = 1;
    can.canIdOn = 0x18F;
    can.operatorOn = -1;
    can.name = sim::nameField<15>("Coolant temp");
    can.dimensionName = sim::nameField<5>("\xB0"
                                          "C");
    can.multiplicator = 0.125f;
    can.calOffset = -40;
    m.canInputEnable = {1, 0xC6};
    m.virtualInputs[4] = {{255, 14, 60}, {1, -1}, sim::nameField<15>("Either door"), {5, 0, 9}, 3};
    m.startKill.startTrigger = 0xC5;
    m.startKill.killTrigger = 35;
    m.startKill.killDelay = 40;
    m.flash[2] = {1, 1, 0xC4, 3, 7, 90, {4, 12, 255, 255}, sim::nameField<15>("Beacon")};
    m.wiper = {0xC1, 0xC2, 20, 0xC3, 1, 12, 36, 8};
    m.sequences[3] = {0xD1, 2, sim::nameField<16>("Work lights")};
    m.pwm = {1, 0, 1};
    m.canExport1.enabled = 1;
    m.canExport1.canId = 0x3A0;
    m.canExport1.dataBytes[5] = 6;
    m.canExports[2].canId = 0x7F1;
    m.canExports[2].bits[63] = 46;
    return m;
}

// The configuration pages of the main window.
std::vector<QWidget *> configPages(TMainForm &m)
{
    return {m.Pages.begin() + TMainFormUi::PageInputs, m.Pages.end()};
}

TEST(EndToEndSettingsFile, SavedUnitComesBackAfterTheUnitChanged)
{
    testsupport::QuickVersionCheck quickCheck;

    E2ERig r;
    TMainForm &m = r.main();
    QString answer = r.dir.filePath("workshop");
    m.ChooseSettingsFileToOpen =
        m.ChooseSettingsFileToSave = [&](const QString &) { return answer; };
    r.unit->unit().setSettings(workshopSettings());
    ModalWatchdog watchdog(60000);
    r.connectThroughSelection();
    const auto readDone = [&] { return m.ReadFromDevice == 1 && m.RefreshPending == 0; };
    ASSERT_TRUE(r.waitFor(readDone, 30000)) << r.trace().toStdString();
    const QStringList unitPages = SettingsSnapshot(configPages(m));

    m.Save->trigger();
    ASSERT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(m.ConfigPath, r.dir.filePath("workshop.cfg"));

    // The unit goes back to its factory set and is read again.
    r.unit->unit().setSettings(sim::SettingsMemory::factory());
    m.BtnLoadClick();
    ASSERT_TRUE(r.waitFor(readDone));
    ASSERT_NE(SnapshotDiff(unitPages, SettingsSnapshot(configPages(m))), "");
    EXPECT_EQ(GetOutputName(5), "Fuel pump");

    answer = r.dir.filePath("workshop.cfg");
    m.Open->trigger();
    ASSERT_EQ(r.dialogs.count(), 0) << r.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(m.FileLoaded, 1);
    EXPECT_EQ(m.ReadFromDevice, 0);
    ASSERT_TRUE(r.waitFor([&] { return m.RefreshPending == 0; }));
    ASSERT_FALSE(watchdog.fired);

    EXPECT_EQ(SnapshotDiff(unitPages, SettingsSnapshot(configPages(m))), "");
    EXPECT_EQ(GetOutputName(5), "Fog lamp");
    EXPECT_EQ(GetInputName(3), QString::fromLatin1("Door \xC4 left"));
    EXPECT_EQ(GetTriggerCode(21), 40);
    EXPECT_EQ(CanInputTable[9].CalOffset, -40);
    EXPECT_EQ(GetFlashName(3), "Beacon");
    EXPECT_EQ(m.windowTitle(), "Tessaron Tool - [ workshop.cfg ]");
}

// A main window just started saves its pages, the file loads back to the
// same pages, and those go to the unit: every entry a save or an upload
// reads as a number starts with a number.
TEST(EndToEndSettingsFile, FreshStartSavesLoadsBackAndUploads)
{
    testsupport::QuickVersionCheck quickCheck;

    E2ERig r;
    TMainForm &m = r.main();
    const QString file = r.dir.filePath("fresh.cfg");
    m.ChooseSettingsFileToOpen = m.ChooseSettingsFileToSave = [&](const QString &) { return file; };
    // The entries' texts; the lists a load fills with the file's names, and
    // the level choices a trigger that is "DISABLED" leaves as they were,
    // differ from a fresh start's without being settings.
    const auto entries = [&m] {
        QStringList texts;
        for (QWidget *page : configPages(m))
            for (const QLineEdit *edit : page->findChildren<QLineEdit *>())
                if (testsupport::isSettingControl(edit->objectName()))
                    texts << edit->objectName() + "=" + edit->text();
        texts.sort();
        return texts;
    };
    const QStringList freshPages = entries();
    m.Save->trigger();
    ASSERT_EQ(r.dialogs.texts(), QStringList()) << r.dialogs.texts().join('|').toStdString();
    ASSERT_TRUE(QFileInfo::exists(file));

    // The unit's settings come in with the connection; the file puts the
    // fresh pages back.
    ModalWatchdog watchdog(60000);
    r.connectAndRead();
    ASSERT_NE(SnapshotDiff(freshPages, entries()), "");
    m.Open->trigger();
    ASSERT_EQ(r.dialogs.texts(), QStringList()) << r.dialogs.texts().join('|').toStdString();
    ASSERT_TRUE(r.waitFor([&] { return m.RefreshPending == 0; }));
    EXPECT_EQ(SnapshotDiff(freshPages, entries()), "");
    // Saved again, the pages give the same file, but for the output lists,
    // which a fresh start has not filled with names yet.
    const auto text = [](const QString &name) {
        QFile f(name);
        if (!f.open(QIODevice::ReadOnly))
            return QByteArray("<missing>");
        QByteArray kept;
        for (const QByteArray &line : f.readAll().split('\n'))
            if (!line.startsWith("OUTPUT_LIST_COUNT=") && !line.startsWith("LIST_SELECTED"))
                kept += line + '\n';
        return kept;
    };
    const QByteArray first = text(file);
    QFile::remove(file);
    m.Save->trigger();
    ASSERT_EQ(r.dialogs.texts(), QStringList()) << r.dialogs.texts().join('|').toStdString();
    EXPECT_EQ(QString::fromLatin1(text(file)).toStdString(),
              QString::fromLatin1(first).toStdString());

    m.BtnSaveClick();
    ASSERT_FALSE(watchdog.fired);
    EXPECT_EQ(r.dialogs.texts(), QStringList{"Reboot Target to use new settings?"});
    const sim::SettingsMemory held = r.unit->unit().settings();
    EXPECT_EQ(held.canExport1.canId, 0);
    EXPECT_EQ(held.canExport1.refreshTime, 100);
    EXPECT_EQ(held.canExport1.rowCounter, 12);
    EXPECT_EQ(held.outputs[0].maxCurrentTenths, 100);
}

} // namespace

// Every setting the configuration pages and the tables hold, as sorted
// "name=value" lines, found by walking the widgets rather than by the keys
// of the settings file, so that a control the file forgets shows up as a
// difference. Leaves out what is no setting of its own: the unit's name,
// the CAN monitor, the list boxes that pick a record, and the editors that
// show the picked CAN input, virtual input or flash function (those live in
// the tables, which are compared byte for byte, names up to their end).
#pragma once

#include "config/Settingsunit.h"
#include "forms/ConfigPagesUi.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QStringList>
#include <QWidget>

#include <cstring>
#include <string>
#include <vector>

namespace testsupport {

inline bool isSettingControl(const QString &name)
{
    static const char *const skipped[] = {"EditBoxName",
                                          "CANmonitor",
                                          "MemoCanMonitor",
                                          "ListBox",
                                          "ComboBoxVirtuel_",
                                          "EditDelayTime",
                                          "CheckBoxVirtuel_",
                                          "NoCANdataComboBox",
                                          "EditCAN_ID_O",
                                          "ComboBoxCAN_Operator",
                                          "EditValueCAN_",
                                          "CheckBoxCAN_In_",
                                          "RadioButton_",
                                          "LabelCanInDimension",
                                          "EditFlash",
                                          "CheckBoxFlash",
                                          "ComboBoxFlashInputTrig",
                                          "CheckListBoxFlashOutputList",
                                          "LabelInputpin",
                                          "SequenceTypeInfoLabel",
                                          "GroupBox"};
    if (name.isEmpty())
        return false;
    for (const char *prefix : skipped)
        if (name.startsWith(QLatin1String(prefix)))
            return false;
    return true;
}

// A record's bytes with every name field cleared after its end, in hex.
template <class Record, std::size_t N>
QString recordBytes(Record record, const std::size_t (&nameAt)[N], const std::size_t (&width)[N])
{
    auto *bytes = reinterpret_cast<char *>(&record);
    for (std::size_t i = 0; i < N; ++i) {
        const std::size_t used = strnlen(bytes + nameAt[i], width[i]);
        std::memset(bytes + nameAt[i] + used, 0, width[i] - used);
    }
    return QString::fromLatin1(QByteArray(bytes, sizeof record).toHex());
}

inline QStringList SettingsSnapshot(const std::vector<QWidget *> &roots)
{
    QStringList lines;
    for (QWidget *root : roots) {
        for (QWidget *w : root->findChildren<QWidget *>()) {
            const QString name = w->objectName();
            if (!isSettingControl(name))
                continue;
            if (auto *edit = qobject_cast<QLineEdit *>(w))
                lines << name + '=' + edit->text();
            else if (auto *combo = qobject_cast<QComboBox *>(w))
                lines << name + '=' + QString::number(combo->currentIndex()) + ' ' +
                             combo->currentText();
            else if (auto *button = qobject_cast<QAbstractButton *>(w);
                     button && button->isCheckable())
                lines << name + '=' + QString::number(button->isChecked());
            else if (auto *label = qobject_cast<QLabel *>(w))
                lines << name + '=' + label->text();
            else if (auto *list = qobject_cast<QListWidget *>(w))
                for (int row = 0; row < list->count(); ++row)
                    lines << name + '[' + QString::number(row) + "]=" + list->item(row)->text() +
                                 (IsItemChecked(list, row) ? " +" : " -");
        }
    }
    for (std::size_t i = 0; i < CanInputTable.size(); ++i)
        lines << QStringLiteral("CanInput%1=").arg(i + 1) +
                     recordBytes(
                         CanInputTable[i],
                         {offsetof(CanInputRecord, Name), offsetof(CanInputRecord, DimensionName)},
                         {16, 6});
    for (std::size_t i = 0; i < VirtualInputTable.size(); ++i)
        lines << QStringLiteral("VirtualInput%1=").arg(i + 1) +
                     recordBytes(VirtualInputTable[i], {offsetof(VirtualInputRecord, Name)}, {16});
    for (std::size_t i = 0; i < FlashTable.size(); ++i)
        lines << QStringLiteral("Flash%1=").arg(i + 1) +
                     recordBytes(FlashTable[i], {offsetof(FlashRecord, Name)}, {15});
    lines.sort();
    return lines;
}

// Lines of `a` missing from `b` ("-") and of `b` missing from `a` ("+").
inline std::string SnapshotDiff(const QStringList &a, const QStringList &b)
{
    QStringList out;
    for (const QString &line : a)
        if (!b.contains(line))
            out << "- " + line;
    for (const QString &line : b)
        if (!a.contains(line))
            out << "+ " + line;
    return out.join('\n').toStdString();
}

} // namespace testsupport

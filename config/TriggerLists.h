// The source lists of the configuration pages' combo boxes. Built at start-up
// with fixed texts, refilled with the current names by a full refresh, and
// copied into the combos that offer them: a combo keeps its own copy until it
// is given the list again. Entry positions never move, so a combo keeps its
// meaning when a list is refilled.
//
// Main thread only.
#pragma once

#include <QStringList>

class QComboBox;
class TConfigPagesUi;

// The full trigger list (79 entries); its first 65 are the short list.
extern QStringList TriggerSourceList;
// Sources of a virtual input: "Not Used", "+30", "CH 1".."CH 11" at start-up;
// after a refresh the input, CAN input, output and virtual input names.
extern QStringList VirtualChannelList;
// Data bytes of CAN export 1: "DISABLED" and outputs 1..18.
extern QStringList CanExport1ChannelList;
// Bits of CAN exports 2..4: "DISABLED", outputs 1..34, inputs 1..11, "Output error".
extern QStringList CanExportSourceList;
// The input that enables the CAN inputs: "CH 1".."CH 11", later the input names.
extern QStringList InputPinList;

QStringList ShortTriggerSourceList();

// The lists with their start-up texts (output and input names as the edits hold them).
void BuildStartupTriggerLists(const TConfigPagesUi &ui);
// The lists with the names now in the name edits and the virtual input table.
void RebuildTriggerLists(const TConfigPagesUi &ui);

// Gives the combo a copy of `items` and selects `index` (none when it is out of
// range). Fires no handler: handlers listen to user activation only.
void AssignComboList(QComboBox *combo, const QStringList &items, int index);

// Gives every combo its list: the output, flash, start and kill triggers the
// full trigger list, the wiper and sequence triggers the short one, the
// virtual sources, the export data bytes and bits and the CAN enable pin
// theirs. With keepSelections each combo selects again what it had; without,
// every combo starts on its first entry ("DISABLED" for the triggers).
void AssignTriggerLists(TConfigPagesUi &ui, bool keepSelections);

// The settings file (".cfg"): every setting the configuration pages show,
// in profile (INI) form, so that a configuration can be kept on the PC,
// loaded again and uploaded.
//
// Saving and loading walk the same sections and keys in the same order; the
// values go through the settings accessors wherever there is one. Numbers
// are written with '.' and read with '.' or ','; names are 8-bit text and
// keep every Latin-1 byte.
//
// Loading gives a missing key, and text that is no number, the key's
// default; a number goes in as the file has it: whole into an edit or a
// 32-bit field, its low 8 bits into a byte field, an index the combo lacks
// as no selection. A number that selects something (a trigger, a source, an
// output, an operator) but lies beyond what its byte holds selects nothing,
// never whatever its low bits name ("+30" only comes from a file that says
// 255); a calibration offset is held to its signed byte. A file that holds
// none of the sections (section names match without regard to case), an
// empty one too, is refused, and so is a file that cannot be read: either
// changes nothing.
//
// Saving builds the whole text first, with Windows (CRLF) line ends; an entry that cannot be
// written (a CAN export field that holds no number, an empty one too; an output's decimal
// whose text holds no number) fails the save before anything is written, and
// the file is replaced only once the new one is complete, so a failed save leaves the previous file
// as it was.
//
// Neither touches the main window's flags, file name or caption; the File
// menu commands do. Main thread only, like the pages and tables they use.
#pragma once

#include <QByteArray>
#include <QString>

// What became of a load or save; `error` is a message for the user.
struct SettingsFileResult
{
    QString error;
    bool notCreated = false; // the file could not be created or written
    bool noSettings = false; // the text holds none of the settings file's sections

    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }
};

// The name with its extension made ".cfg": a ".cfg" in any case is kept as
// it is, any other extension is replaced, and ".cfg" is added to a name
// without one.
QString SettingsFileName(const QString &fileName);

// The pages and tables as the text of a settings file.
SettingsFileResult SaveSettingsText(QByteArray &text);
// The same, written to SettingsFileName(fileName).
SettingsFileResult SaveSettingsFile(const QString &fileName);

// Reads the text of a settings file into the pages and tables.
SettingsFileResult LoadSettingsText(const QByteArray &text);
// The same, read from SettingsFileName(fileName).
SettingsFileResult LoadSettingsFile(const QString &fileName);

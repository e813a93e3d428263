// The settings file (".cfg"): every setting the configuration pages show,
// in profile (INI) form, so that a configuration can be kept on the PC,
// loaded again and uploaded.
//
// Saving and loading walk the same sections and keys in the same order; the
// values go through the settings accessors wherever there is one. Numbers
// are written with '.' and read with '.' or ','; names are 8-bit text and
// keep every Latin-1 byte.
//
// Loading takes what is valid and leaves the rest at the key's default: a
// missing key, text that is no number, and a number outside what its
// control or field can hold all give the default, so no value from a file
// ever selects an entry that is not there, and no junk number turns into a
// trigger ("+30" only comes from a file that says 255). A file that cannot
// be read, or holds none of the sections, changes nothing.
//
// Saving builds the whole text first; an entry that cannot be written (a
// CAN export field that holds no number) fails the save before anything is
// written, and the file is replaced only once the new one is complete, so a
// failed save leaves the previous file as it was.
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

    bool ok() const { return error.isEmpty(); }
    explicit operator bool() const { return ok(); }
};

// The name with its extension made ".cfg": a name ending in ".cfg" in any
// case is kept, another extension is replaced, and ".cfg" is added to a name
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

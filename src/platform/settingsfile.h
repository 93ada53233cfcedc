#pragma once

#include <QString>

// Where the settings file lives. Beside the program when its folder may be
// written, as ever. Installed where only the administrator may write (a
// package puts it in /usr/lib), each user's settings go to their own config
// folder, and are read from there once they exist; until then the file
// beside the program, if any, gives the settings to start with.

// The settings file written: beside the executable when its folder may be
// written, else the user's own (UserSettingsPath).
QString SettingsPath();
// The one read: the same, but for a user who has none yet.
QString SettingsReadPath();
// $XDG_CONFIG_HOME/vimbra/Vimbra.INI (~/.config/vimbra/ by default).
QString UserSettingsPath();

// A number of the [Options] section, read by the settings' number rules;
// the default when it is missing or no number.
int ReadIntSetting(const QString &key, int defaultValue);
// Writes a number into the [Options] section; the user's own folder is made
// on first use. Raises AppError "Unable to write to <path>" when it cannot.
void WriteIntSetting(const QString &key, int value);

// A value an administrator sets for every user in the file beside the
// program, and a user may set for themselves in their own file: the user's
// when their file has the key (even empty), else the administrator's; empty
// when neither has it.
QString ReadSharedSetting(const QString &section, const QString &key);

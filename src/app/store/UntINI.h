#pragma once

// One value of the settings file "config.ini" in the configuration folder, the file
// opened and closed per call, so a change by hand counts at the next read.

#include "IniFile.h"

#include <QString>

using platform::EIniFileException;

// The configuration folder (with its separator) followed by "config.ini".
QString settingsFilePath();

// A missing file or key gives `defaultValue`; at most 2047 characters come back.
QString readIni(const QString& section, const QString& key, const QString& defaultValue);
// Raises EIniFileException "Unable to write to <path>: <reason>" when the system refuses.
void writeIni(const QString& section, const QString& key, const QString& value);
// Removes the section and its keys; raises as writeIni does.
void eraseIniSection(const QString& section);

QString boolToIniStr(bool b);
// Every text but exactly "0" is true, the empty text included.
bool iniStrToBool(const QString& s);

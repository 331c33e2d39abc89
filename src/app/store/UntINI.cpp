#include "UntINI.h"

#include "Platform.h"

QString settingsFilePath()
{
    return platform::current().places().configFolder() + QStringLiteral("config.ini");
}

QString readIni(const QString& section, const QString& key, const QString& defaultValue)
{
    return platform::profile::readString(settingsFilePath(), section, key, defaultValue);
}

void writeIni(const QString& section, const QString& key, const QString& value)
{
    platform::profile::writeString(settingsFilePath(), section, key, value);
}

void eraseIniSection(const QString& section)
{
    platform::profile::eraseSection(settingsFilePath(), section);
}

QString boolToIniStr(bool b)
{
    return b ? QStringLiteral("1") : QStringLiteral("0");
}

bool iniStrToBool(const QString& s)
{
    return s != QLatin1String("0");
}

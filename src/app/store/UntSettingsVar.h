#pragma once

// The settings held in memory; only loadSettings sets them, on the window thread.

#include <QString>

extern QString SETTINGS_PGCOLOR;
extern bool SETTINGS_SHOWBALLOON;
extern bool SETTINGS_USEPROXY;
extern QString SETTINGS_PROXYHOST;
extern quint16 SETTINGS_PROXYPORT;
extern QString SETTINGS_PROXYUSER;
extern QString SETTINGS_PROXYPWD;
extern bool SETTINGS_PROBE;
extern bool SETTINGS_USEPWD;
extern QString SETTINGS_PWD;

// Reads every SETTINGS_* value from section "SOLVEK" of config.ini.
void readSettingsValues();

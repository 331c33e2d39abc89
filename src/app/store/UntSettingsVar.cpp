#include "UntSettingsVar.h"

#include "ToolkitInteger.h"
#include "UntINI.h"

QString SETTINGS_PGCOLOR;
bool SETTINGS_SHOWBALLOON = false;
bool SETTINGS_USEPROXY = false;
QString SETTINGS_PROXYHOST;
quint16 SETTINGS_PROXYPORT = 0;
QString SETTINGS_PROXYUSER;
QString SETTINGS_PROXYPWD;
bool SETTINGS_PROBE = false;
bool SETTINGS_USEPWD = false;
QString SETTINGS_PWD;

namespace {

const QString Section = QStringLiteral("SOLVEK");
constexpr quint16 DefaultProxyPort = 8080;

QString readText(const char* key, const QString& defaultValue = QString())
{
    return readIni(Section, QString::fromLatin1(key), defaultValue);
}

bool readSwitch(const char* key)
{
    return iniStrToBool(readText(key, QStringLiteral("0")));
}

// A port that is no whole number keeps the default; a larger one keeps its low 16 bits.
quint16 readPort()
{
    const auto port = platform::parseToolkitInteger(readText("PROXYPORT", QStringLiteral("8080")));
    return port ? quint16(*port) : DefaultProxyPort;
}

} // namespace

void readSettingsValues()
{
    SETTINGS_PGCOLOR = readText("PGCOLOR", QStringLiteral("clLime"));
    SETTINGS_SHOWBALLOON = readSwitch("SHOWBALLOON");
    SETTINGS_USEPROXY = readSwitch("USEPROXY");
    SETTINGS_PROXYHOST = readText("PROXYHOST");
    SETTINGS_PROXYPORT = readPort();
    SETTINGS_PROXYUSER = readText("PROXYUSER");
    SETTINGS_PROXYPWD = readText("PROXYPWD");
    SETTINGS_PROBE = readSwitch("PROBE");
    SETTINGS_USEPWD = readSwitch("USEPWD");
    SETTINGS_PWD = readText("PWD");
}

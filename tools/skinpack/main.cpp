// Packs a skin INI file and its BMP pictures into a stored skin's
// "CompressedData" value, for the program to compile in as a Qt resource.

#include "ReplacingFile.h"
#include "SolvekException.h"
#include "bsCompressedStoredSkin.h"

#include <QBuffer>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s <skin ini file> <output file>\n", argv[0]);
        return 2;
    }
    const QString iniFile = QString::fromLocal8Bit(argv[1]);
    const QString output = QString::fromLocal8Bit(argv[2]);
    try {
        TbsCompressedStoredSkin skin;
        skin.LoadFromIniFile(iniFile);
        if (skin.Empty()) {
            std::fprintf(stderr, "%s is not a skin description\n", argv[1]);
            return 1;
        }
        QBuffer packed;
        packed.open(QIODevice::WriteOnly);
        skin.WriteCompressedData(packed);
        platform::replaceFileContents(output, packed.data());
    } catch (const platform::EFileReplaceError& e) {
        std::fprintf(stderr, "cannot write %s: %s\n", argv[2], e.what());
        return 1;
    } catch (const solvek::Exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

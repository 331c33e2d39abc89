// Draws every picture, glyph and icon of the program's windows with QPainter and
// writes them as PNG files into the folder given on the command line.

#include "Artwork.h"

#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <resources folder>\n", argv[0]);
        return 2;
    }
    artwork::PngFolder folder(QString::fromLocal8Bit(argv[1]));
    artwork::drawWindowArtwork(folder);
    artwork::drawListArtwork(folder);
    artwork::drawSkinArtwork(folder);
    return folder.failures() == 0 ? 0 : 1;
}

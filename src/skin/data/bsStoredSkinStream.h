#pragma once

// The uncompressed stored-skin stream: version, three frame pictures each
// behind a flag byte, the count and the active pictures, then the skin's INI
// text up to the end. Integers are signed 32-bit little-endian.

#include "IniFile.h"
#include "bseffects.h"

#include <QByteArray>
#include <array>
#include <memory>
#include <vector>

class QIODevice;

inline constexpr qint32 StoredSkinVersion = 3;
// Inflating a stored skin stops here: the program's own skin is a few hundred KB.
inline constexpr qint64 MaxInflatedSkinSize = 64 * 1024 * 1024;

// What a stored skin stream holds, read in full before any of it is used.
struct TbsStoredSkinParts {
    // Picture, inactive picture, mask; an empty bitmap where the skin has none.
    std::array<std::unique_ptr<TbsBitmap>, 3> Frames;
    std::vector<std::unique_ptr<TbsBitmap>> ActivePictures;
    platform::IniFile Ini;
};

// False, with nothing more read, when the stream's version is newer than ours.
// Raises EbsSkinError on a stream that ends early or holds a bad picture.
bool ReadStoredSkin(QIODevice& stream, TbsStoredSkinParts& parts);

// Flag 1 for an empty or missing picture, else flag 0 and the picture.
void WriteFramePicture(QIODevice& stream, const TbsBitmap* picture);
void WriteStoredSkin(QIODevice& stream, const std::array<const TbsBitmap*, 3>& frames,
                     const std::vector<const TbsBitmap*>& activePictures,
                     const QByteArray& iniText);

// The INI object's text as a stored skin carries it: per section its header
// line and key lines, then one empty line; CR LF line ends; 8-bit, no BOM.
QByteArray StoredSkinText(const platform::IniFile& ini);
// Reads such a text; a UTF-8 or UTF-16 byte-order mark selects that encoding.
void LoadStoredSkinText(const QByteArray& bytes, platform::IniFile& ini);

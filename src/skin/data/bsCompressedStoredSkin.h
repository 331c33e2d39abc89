#pragma once

// One complete skin (description and pictures) as a single zlib-compressed
// stored-skin stream, so a skin can travel inside a window or in one skin file.
// Skin file form: version 3, the compressed byte count S, then S bytes.

#include <QByteArray>
#include <QObject>
#include <QString>

class QIODevice;
class TbsSkinData;

class TbsCompressedStoredSkin : public QObject {
    Q_OBJECT

public:
    explicit TbsCompressedStoredSkin(QObject* owner = nullptr);

    // Bare name of the skin INI file the container was filled from. While
    // designing (and not loading), setting it keeps the bare name and then
    // fills the container from the file; otherwise the value is kept as given.
    QString FileName() const { return FFileName; }
    void SetFileName(const QString& value);
    // Bare name of the skin file the container was filled from; set as FileName.
    QString CompressedFileName() const { return FCompressedFileName; }
    void SetCompressedFileName(const QString& value);
    QString Description() const { return FDescription; }
    void SetDescription(const QString& value) { FDescription = value; }

    bool Empty() const { return FCompressedStream.isEmpty(); }
    // The compressed bytes exactly, as a window keeps them ("CompressedData").
    const QByteArray& CompressedData() const { return FCompressedStream; }
    void SetCompressedData(const QByteArray& bytes) { FCompressedStream = bytes; }
    // "CompressedData" as a window layout holds it: the byte-block type 0x0A,
    // the byte count (32-bit little-endian), the bytes.
    void WriteCompressedData(QIODevice& layout) const;
    // Replaces the contents with such a value; another type or a cut value
    // raises EbsSkinError and changes nothing.
    void ReadCompressedData(QIODevice& layout);

    // Inflates the whole container into stream at its position. Raises
    // EDecompressionError on bad or cut-short data and past 64 MiB.
    void DeCompressToStream(QIODevice& stream) const;

    // Each fill first empties the container; one that fails leaves it empty.
    // The skin a skin-data component holds, its description in the writer's text.
    void LoadFromSkinData(TbsSkinData& skinData);
    // A skin INI file and its BMP pictures beside it, with the file's own text;
    // a file that is not a skin INI changes nothing.
    void LoadFromIniFile(const QString& fileName);
    void LoadFromCompressFile(const QString& fileName);
    void LoadFromCompressStream(QIODevice& stream);
    // An empty container writes no file.
    void SaveToCompressFile(const QString& fileName) const;
    void SaveToCompressStream(QIODevice& stream) const;

private:
    // Reads the skin-file form at the stream's position.
    void ReadSkinFileForm(QIODevice& stream);
    // Compresses a whole stored-skin stream into the container.
    void Pack(const QByteArray& storedSkin);

    QString FFileName;
    QString FCompressedFileName;
    QByteArray FCompressedStream;
    QString FDescription;
};

#pragma once

// A skin written into a temporary folder, the program's own skin packed from
// resources/skin, and windows that record the skin messages they receive.

#include "SkinPixelHelpers.h"
#include "bsBitmapFile.h"
#include "bsSkinData.h"
#include "bsSkinMessages.h"

#include <QFile>
#include <QTemporaryDir>
#include <QWidget>
#include <vector>

// The smallest complete skin: one picture and one panel "groupbox".
inline QByteArray minimalSkinText(const QByteArray& extraFormInfo = {}, const QByteArray& mask = {})
{
    return "[VERSION]\r\nver=1\r\nskinname=Test\r\nskinauthor=Me\r\n\r\n"
           "[PICTURES]\r\npicture=\r\ninactivepicture=\r\nmask=" +
           mask +
           "\r\nactivepicturescount=1\r\n0=pic0.bmp\r\n\r\n"
           "[FORMINFO]\r\nbgpictureindex=-1\r\n" +
           extraFormInfo +
           "\r\n[SKINOBJECTS]\r\ncount=0\r\n\r\n"
           "[SKINCONTROLS]\r\ncount=1\r\n0=groupbox:panel\r\n\r\n"
           "[groupbox]\r\npictureindex=0\r\nskinrect=1,1,9,7\r\ncaptionrect=4,2,55,15\r\n";
}

// A folder holding skin.ini and the pictures it names.
class SkinFolder {
public:
    explicit SkinFolder(const QByteArray& iniText = minimalSkinText())
    {
        writeFile("skin.ini", iniText);
        SizedBitmap picture(10, 8);
        fillWith(picture, [](int x, int y) { return argb(255, x * 10, y * 20, 99); });
        SaveBmpFile(path("pic0.bmp"), picture);
        SaveBmpFile(path("mask.bmp"), SizedBitmap(10, 8, argb(255, 255, 255, 255)));
    }
    QString path(const QString& name) const { return dir.filePath(name); }
    QString iniPath() const { return path("skin.ini"); }
    void writeFile(const QString& name, const QByteArray& bytes)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray readFile(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

private:
    QTemporaryDir dir;
};

// The compressed bytes of the program's own skin, packed as the build packs it.
inline QByteArray programSkinBytes()
{
    static const QByteArray bytes = [] {
        TbsCompressedStoredSkin packed;
        packed.LoadFromIniFile(QStringLiteral(SOLVEK_SKIN_FOLDER "/solvek.ini"));
        return packed.CompressedData();
    }();
    return bytes;
}

struct SkinMessageRecord {
    QString window;
    quint32 msg;
    QObject* wParam;
    qintptr lParam;
    bool empty;
    bool changing;
};

// A top-level window that logs every skin message with the skin's state then.
class MessageRecorder : public QWidget {
public:
    MessageRecorder(const QString& name, std::vector<SkinMessageRecord>& log,
                    const TbsSkinData* skin = nullptr, QWidget* parent = nullptr)
        : QWidget(parent), log(log), skin(skin)
    {
        setObjectName(name);
    }
    void watch(const TbsSkinData* s) { skin = s; }

protected:
    bool event(QEvent* e) override
    {
        if (e->type() != TbsSkinMessageEvent::EventType())
            return QWidget::event(e);
        const auto* m = static_cast<TbsSkinMessageEvent*>(e);
        log.push_back({objectName(), m->Msg, m->WParam, m->LParam, skin && skin->Empty,
                       skin && skin->ChangeSkinDataProcess});
        return true;
    }

private:
    std::vector<SkinMessageRecord>& log;
    const TbsSkinData* skin;
};

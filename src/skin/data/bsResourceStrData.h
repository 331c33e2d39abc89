#pragma once

// The skin library's interface texts (menu captions, button hints, dialog
// labels), one NAME=text line each, looked up by name.

#include <QObject>
#include <QStringList>

class TbsResourceStrData : public QObject {
    Q_OBJECT

public:
    explicit TbsResourceStrData(QObject* owner = nullptr);

    const QStringList& ResStrings() const { return FResStrs; }
    // Replaces the lines with a copy of the given ones.
    void SetResStrings(const QStringList& lines) { FResStrs = lines; }
    // Kept for the texts' users; not read here.
    quint8 CharSet() const { return FCharSet; }
    void SetCharSet(quint8 value) { FCharSet = value; }

    // The text after the first "=" of the first line whose name matches
    // without regard to case; empty when none does.
    QString GetResStr(const QString& resName) const;

    // The built-in lines, in their fixed order.
    static QStringList DefaultResStrings();

private:
    QStringList FResStrs;
    quint8 FCharSet = 1;
};

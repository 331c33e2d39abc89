#pragma once

// The messages by which a skin-data component tells the program's windows
// that its skin or options changed. Each arrives as one TbsSkinMessageEvent,
// delivered synchronously; a window that does not handle it ignores it.

#include <QEvent>
#include <QList>

class QObject;
class QWidget;

enum TbsSkinMessage : quint32 {
    SkinMsgBeforeLoad = 1225,
    SkinMsgLoaded = 1226,
    SkinMsgAfterLoad = 1227,
    SkinMsgResStrChanged = 1274,
    SkinMsgSkinnableChanged = 1294,
    SkinMsgLayeredBordersChanged = 1427,
    SkinMsgAeroBlurChanged = 1428,
};

class TbsSkinMessageEvent : public QEvent {
public:
    static constexpr qintptr DefaultLParam = 1000;

    TbsSkinMessageEvent(quint32 msg, QObject* sender);
    static QEvent::Type EventType();

    quint32 Msg;
    QObject* WParam; // the sending component
    qintptr LParam = DefaultLParam;
};

// The program's windows in one order that does not change from run to run:
// by class name, object name and title. Popups, tool tips and the layered
// frame windows are left out. No native window is created.
QList<QWidget*> SkinMessageTargets();

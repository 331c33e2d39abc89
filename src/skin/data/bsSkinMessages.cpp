#include "bsSkinMessages.h"

#include <QApplication>
#include <QWidget>
#include <algorithm>

namespace {

bool isForm(const QWidget* widget)
{
    const Qt::WindowType type = widget->windowType();
    return widget->isWindow() && type != Qt::Popup && type != Qt::ToolTip &&
           qstrcmp(widget->metaObject()->className(), "TbsFormLayerWindow") != 0;
}

// The application's list is a hash set whose order changes with every run.
bool comesBefore(const QWidget* a, const QWidget* b)
{
    const int byClass = qstrcmp(a->metaObject()->className(), b->metaObject()->className());
    if (byClass != 0)
        return byClass < 0;
    if (a->objectName() != b->objectName())
        return a->objectName() < b->objectName();
    if (a->windowTitle() != b->windowTitle())
        return a->windowTitle() < b->windowTitle();
    return std::less<const QWidget*>()(a, b);
}

} // namespace

TbsSkinMessageEvent::TbsSkinMessageEvent(quint32 msg, QObject* sender)
    : QEvent(EventType()), Msg(msg), WParam(sender)
{}

QEvent::Type TbsSkinMessageEvent::EventType()
{
    static const auto type = QEvent::Type(QEvent::registerEventType());
    return type;
}

QList<QWidget*> SkinMessageTargets()
{
    QList<QWidget*> forms;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (isForm(widget))
            forms.append(widget);
    }
    std::sort(forms.begin(), forms.end(), comesBefore);
    return forms;
}

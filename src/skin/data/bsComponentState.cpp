#include "bsComponentState.h"

#include <QObject>
#include <QVariant>

namespace {
constexpr const char* designingProperty = "bsDesigning";
constexpr const char* loadingProperty = "bsLoading";

bool flag(const QObject* component, const char* name)
{
    return component && component->property(name).toBool();
}
} // namespace

bool IsDesigning(const QObject* component)
{
    return flag(component, designingProperty);
}

bool IsLoading(const QObject* component)
{
    return flag(component, loadingProperty);
}

bool IsDesigningOrLoading(const QObject* component)
{
    return IsDesigning(component) || IsLoading(component);
}

void SetDesigning(QObject* component, bool designing)
{
    component->setProperty(designingProperty, designing);
}

void SetLoading(QObject* component, bool loading)
{
    component->setProperty(loadingProperty, loading);
}

#include "bsSkinCtrls.h"

TbsSkinGroupBox::TbsSkinGroupBox(QWidget* parent) : QGroupBox(parent) {}

TbsSkinGroupBox::TbsSkinGroupBox(const QString& caption, QWidget* parent)
    : QGroupBox(caption, parent)
{}

void TbsSkinGroupBox::setSkinData(TbsSkinData* data)
{
    skinData = data;
    update();
}

void TbsSkinGroupBox::setSkinDataName(const QString& name)
{
    skinDataName = name;
    update();
}

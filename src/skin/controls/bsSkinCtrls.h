#pragma once

// Skinned controls. The group box keeps its binding to a skin object; until the
// skin engine draws it, it paints as a plain group box (the look of a control
// whose skin object is missing).

#include <QGroupBox>
#include <QString>

class TbsSkinData;

class TbsSkinGroupBox : public QGroupBox {
    Q_OBJECT

public:
    explicit TbsSkinGroupBox(QWidget* parent = nullptr);
    TbsSkinGroupBox(const QString& caption, QWidget* parent = nullptr);

    TbsSkinData* SkinData() const { return skinData; }
    void setSkinData(TbsSkinData* data);
    QString SkinDataName() const { return skinDataName; }
    void setSkinDataName(const QString& name);

private:
    TbsSkinData* skinData = nullptr;
    QString skinDataName;
};

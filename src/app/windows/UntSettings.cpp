#include "UntSettings.h"

#include "Md5.h"
#include "Platform.h"
#include "SolvekException.h"
#include "ToolkitColors.h"
#include "UntForms.h"
#include "UntINI.h"
#include "UntMain.h"
#include "UntSettingsVar.h"
#include "UntSqliteUtils.h"
#include "VistaProBar.h"
#include "bsSkinData.h"
#include "bsSkinPanel.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QShowEvent>
#include <QSpinBox>
#include <QToolButton>
#include <climits>

using namespace platform;

TFrmSettings* FrmSettings = nullptr;

std::function<bool(QColorDialog* dialog)> execColorDialog = [](QColorDialog* dialog) {
    return dialog->exec() == QDialog::Accepted;
};

namespace {

const QString autostartName = QStringLiteral("Solvek Anti-Bot");
const QString salt = QStringLiteral("SOLVEKAB");

// The colour box's entries after "Custom...": standard, extended and system
// colours, in the toolkit's order, by their toolkit names.
const char* const colorNames[] = {
    // standard
    "clBlack", "clMaroon", "clGreen", "clOlive", "clNavy", "clPurple", "clTeal", "clGray",
    "clSilver", "clRed", "clLime", "clYellow", "clBlue", "clFuchsia", "clAqua", "clWhite",
    // extended
    "clMoneyGreen", "clSkyBlue", "clCream", "clMedGray",
    // system
    "clActiveBorder", "clActiveCaption", "clAppWorkSpace", "clBackground", "clBtnFace",
    "clBtnHighlight", "clBtnShadow", "clBtnText", "clCaptionText", "clGradientActiveCaption",
    "clGradientInactiveCaption", "clGrayText", "clHighlight", "clHighlightText", "clHotLight",
    "clInactiveBorder", "clInactiveCaption", "clInactiveCaptionText", "clInfoBk", "clInfoText",
    "clMenu", "clMenuBar", "clMenuHighlight", "clMenuText", "clScrollBar", "cl3DDkShadow",
    "cl3DLight", "clWindow", "clWindowFrame", "clWindowText"};

constexpr int customColorIndex = 0;
constexpr int colorRole = Qt::UserRole;

QIcon swatch(quint32 color)
{
    QPixmap pixmap(16, 12);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setPen(Qt::black);
    painter.setBrush(toQColor(color));
    painter.drawRect(0, 0, 15, 11);
    return QIcon(pixmap);
}

// Readable name: the toolkit name without its "cl" prefix.
QString prettyName(const QString& toolkitName)
{
    return toolkitName.mid(2);
}

QLabel* caption(const QString& text, QWidget* parent, int x, int y)
{
    auto* label = new QLabel(text, parent);
    label->move(x, y);
    label->adjustSize();
    return label;
}

QLineEdit* edit(QWidget* parent, int x, int y, bool bullets)
{
    auto* line = new QLineEdit(parent);
    line->setGeometry(x, y, 180, 21);
    if (bullets)
        line->setEchoMode(QLineEdit::Password);
    return line;
}

void applyToProgressBar(quint32 color)
{
    if (FrmMain && FrmMain->p)
        FrmMain->p->setColor(toQColor(color));
}

// A stored colour that is neither a name nor a number falls back to the default.
TColor settingsColor()
{
    try {
        return StringToColor(SETTINGS_PGCOLOR);
    } catch (const solvek::Exception&) {
        return clLime;
    }
}

} // namespace

QString passwordDigest(const QString& password)
{
    return md5Hex(md5Hex(password) + salt);
}

TFrmSettings::TFrmSettings(QWidget* parent) : QWidget(parent)
{
    FrmSettings = this;
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Solvek - Settings"));
    setWindowIcon(QIcon(QStringLiteral(":/images/glyph_settings.png")));
    setFont(windowFont());
    setFixedSize(305, 382);

    Store = new TbsCompressedStoredSkin(this);
    loadProgramSkin(*Store);
    Store->SetCompressedFileName(QStringLiteral("Win7_Aero.skn"));
    SkinData = new TbsSkinData(this);
    SkinData->setSkinIndex(0);
    SkinData->setCompressedStoredSkin(Store);

    const QString captions[4] = {
        QStringLiteral("Main Window User Interface"), QStringLiteral("System Functions"),
        QStringLiteral("Proxy Settings"), QStringLiteral("System Functions")};
    const QRect places[4] = {QRect(8, 6, 289, 58), QRect(8, 70, 289, 70), QRect(8, 146, 289, 148),
                             QRect(8, 300, 289, 74)};
    for (int i = 0; i < 4; ++i)
        groupBoxes[i] = createGroupBox(captions[i], places[i]);
    createColorControls(groupBoxes[0]);
    createSystemControls(groupBoxes[1]);
    createProxyControls(groupBoxes[2]);
    createPasswordControls(groupBoxes[3]);

    CD = new QColorDialog(this);
    CD->setWindowTitle(QStringLiteral("Progress bar color"));
    selectColor(clLime);
    setDialogColor(clLime);
}

TbsSkinGroupBox* TFrmSettings::createGroupBox(const QString& caption, const QRect& place)
{
    auto* box = new TbsSkinGroupBox(this);
    box->SetSkinData(SkinData);
    box->SetSkinDataName(QStringLiteral("groupbox"));
    box->SetUseSkinSize(true);
    box->SetUseSkinFont(true);
    box->SetCaptionMode(true);
    box->SetBorderStyle(bvFrame);
    box->SetDefaultCaptionHeight(22);
    box->SetDefaultFont(TFont{QStringLiteral("Arial"), 14, {}, platform::clWindowText});
    box->SetSpacing(2);
    box->SetNumGlyphs(1);
    box->SetAutoEnabledControls(true);
    box->SetCaption(caption);
    box->SetBounds(place.x(), place.y(), place.width(), place.height());
    return box;
}

TFrmSettings::~TFrmSettings()
{
    if (FrmSettings == this)
        FrmSettings = nullptr;
}

void TFrmSettings::createColorControls(QWidget* box)
{
    caption(QStringLiteral("Progress bar color : "), box, 12, 29);
    cbox = new QComboBox(box);
    cbox->setGeometry(118, 24, 128, 22);
    cbox->setIconSize(QSize(16, 12));
    cbox->addItem(swatch(clBlack), QStringLiteral("Custom..."), QVariant::fromValue(clBlack));
    for (const char* name : colorNames) {
        const QString toolkitName = QString::fromLatin1(name);
        TColor color = clBlack;
        IdentToColor(toolkitName, color);
        cbox->addItem(swatch(color), prettyName(toolkitName), QVariant::fromValue(color));
    }
    connect(cbox, &QComboBox::activated, this, [this](int index) {
        runReported([&] {
            // A cancelled custom pick goes back to the colour in use.
            if (index == customColorIndex && !pickCustomColor()) {
                selectColor(dialogColor);
                return;
            }
            cboxChange();
        });
    });

    SpeedButton1 = new QToolButton(box);
    SpeedButton1->setGeometry(252, 23, 24, 24);
    SpeedButton1->setAutoRaise(true);
    SpeedButton1->setIcon(QIcon(QStringLiteral(":/images/glyph_color.png")));
    SpeedButton1->setToolTip(QStringLiteral("More colours"));
    connectReported(SpeedButton1, &QToolButton::clicked, this, &TFrmSettings::SpeedButton1Click);
}

void TFrmSettings::createSystemControls(QWidget* box)
{
    cstartup = new QCheckBox(QStringLiteral("Automatically start Solvek with Windows."), box);
    cstartup->setGeometry(12, 20, 270, 20);
    cbubble = new QCheckBox(QStringLiteral("Display bubble notification on treat update."), box);
    cbubble->setGeometry(12, 42, 270, 20);
    // Every change of the box's state, by the user or by showing the window, applies it.
    connectReported(cstartup, &QCheckBox::toggled, this, &TFrmSettings::cstartupClick);
}

void TFrmSettings::createProxyControls(QWidget* box)
{
    useproxy = new QCheckBox(QStringLiteral("Connect throught a proxy."), box);
    useproxy->setGeometry(12, 20, 270, 20);
    caption(QStringLiteral("Proxy Host : "), box, 12, 50);
    edtproxyhost = edit(box, 96, 46, false);
    caption(QStringLiteral("Proxy Port : "), box, 12, 75);
    sport = new QSpinBox(box);
    sport->setGeometry(96, 71, 90, 21);
    sport->setRange(INT_MIN, INT_MAX);
    sport->setValue(8080);
    caption(QStringLiteral("Proxy User : "), box, 12, 100);
    edtproxyuser = edit(box, 96, 96, false);
    caption(QStringLiteral("Proxy Pwd : "), box, 12, 125);
    edtproxypwd = edit(box, 96, 121, true);
}

void TFrmSettings::createPasswordControls(QWidget* box)
{
    cpwd = new QCheckBox(QStringLiteral("Protect Solvek with a Password."), box);
    cpwd->setGeometry(12, 20, 270, 20);
    caption(QStringLiteral("Password : "), box, 12, 49);
    edtpwd = edit(box, 96, 45, true);
    connectReported(cpwd, &QCheckBox::toggled, this, &TFrmSettings::cpwdClick);
}

quint32 TFrmSettings::selectedColor() const
{
    const int index = cbox->currentIndex();
    return index < 0 ? clBlack : cbox->itemData(index, colorRole).value<quint32>();
}

void TFrmSettings::selectColor(quint32 color)
{
    for (int i = customColorIndex + 1; i < cbox->count(); ++i) {
        if (cbox->itemData(i, colorRole).value<quint32>() == color) {
            cbox->setCurrentIndex(i);
            return;
        }
    }
    // A colour outside the list becomes the custom entry.
    setCustomColor(color);
    cbox->setCurrentIndex(customColorIndex);
}

void TFrmSettings::setCustomColor(quint32 color)
{
    cbox->setItemData(customColorIndex, QVariant::fromValue(color), colorRole);
    cbox->setItemIcon(customColorIndex, swatch(color));
}

void TFrmSettings::setDialogColor(quint32 color)
{
    dialogColor = color;
    CD->setCurrentColor(toQColor(color));
}

bool TFrmSettings::runColorDialog()
{
    CD->setCurrentColor(toQColor(dialogColor));
    if (!execColorDialog(CD))
        return false;
    dialogColor = fromQColor(CD->currentColor());
    return true;
}

bool TFrmSettings::pickCustomColor()
{
    const quint32 before = dialogColor;
    dialogColor = cbox->itemData(customColorIndex, colorRole).value<quint32>();
    const bool confirmed = runColorDialog();
    if (confirmed)
        setCustomColor(dialogColor);
    dialogColor = before;
    return confirmed;
}

void loadSettings()
{
    readSettingsValues();
    // The settings window's controls and its password box.
    if (FrmSettings)
        FrmSettings->showSettingsValues();
    if (FrmMain)
        FrmMain->setProbe(SETTINGS_PROBE);
    // The colour dialog and the progress bar take the colour the box selected.
    if (FrmSettings)
        FrmSettings->applySelectedColor();
}

void TFrmSettings::showSettingsValues()
{
    selectColor(settingsColor());
    cbubble->setChecked(SETTINGS_SHOWBALLOON);
    useproxy->setChecked(SETTINGS_USEPROXY);
    edtproxyhost->setText(SETTINGS_PROXYHOST);
    edtproxyuser->setText(SETTINGS_PROXYUSER);
    edtproxypwd->setText(SETTINGS_PROXYPWD);
    sport->setValue(SETTINGS_PROXYPORT);

    edtpwd->clear();
    if (SETTINGS_USEPWD)
        edtpwd->setText(QString::fromLatin1(PasswordPlaceholder));
    cpwd->setChecked(SETTINGS_USEPWD);
    edtpwd->setEnabled(!SETTINGS_USEPWD);
}

void TFrmSettings::applySelectedColor()
{
    setDialogColor(selectedColor());
    applyToProgressBar(dialogColor);
}

void TFrmSettings::cstartupClick()
{
    if (cstartup->isChecked())
        setAutoStart(autostartName, platform::current().places().programFile());
    else
        delAutoStart(autostartName);
}

void TFrmSettings::cboxChange()
{
    setDialogColor(selectedColor());
    applyToProgressBar(dialogColor);
}

void TFrmSettings::SpeedButton1Click()
{
    // Whether the user confirmed is not looked at: a cancelled dialog keeps
    // the colour it had, so the bar and the box keep theirs.
    runColorDialog();
    applyToProgressBar(dialogColor);
    selectColor(dialogColor);
}

void TFrmSettings::cpwdClick()
{
    if (cpwd->isChecked()) {
        if (edtpwd->text().trimmed().isEmpty()) {
            platform::messageBox(this,
                                 QStringLiteral("You must choose a none blank password before "
                                                "activation of the password protected function !"),
                                 QStringLiteral("Set password"),
                                 platform::MB_OK | platform::MB_ICONWARNING);
            cpwd->setChecked(false);
        }
        return;
    }
    edtpwd->setEnabled(true);
    edtpwd->clear();
}

void TFrmSettings::FormShow()
{
    cstartup->setChecked(isAutoStart(autostartName));
}

void TFrmSettings::FormHide()
{
    const QString section = QStringLiteral("SOLVEK");
    writeIni(section, QStringLiteral("PGCOLOR"), ColorToString(selectedColor()));
    writeIni(section, QStringLiteral("SHOWBALLOON"), boolToIniStr(cbubble->isChecked()));
    writeIni(section, QStringLiteral("USEPROXY"), boolToIniStr(useproxy->isChecked()));
    writeIni(section, QStringLiteral("PROXYHOST"), edtproxyhost->text());
    writeIni(section, QStringLiteral("PROXYUSER"), edtproxyuser->text());
    writeIni(section, QStringLiteral("PROXYPWD"), edtproxypwd->text());
    writeIni(section, QStringLiteral("PROXYPORT"), QString::number(sport->value()));
    writeIni(section, QStringLiteral("USEPWD"), boolToIniStr(cpwd->isChecked()));
    if (edtpwd->text() != QLatin1String(PasswordPlaceholder))
        writeIni(section, QStringLiteral("PWD"), passwordDigest(edtpwd->text()));
    loadSettings();
}

void TFrmSettings::showEvent(QShowEvent* event)
{
    if (!event->spontaneous()) {
        centreOn(this, FrmMain);
        runReported([this] { FormShow(); });
    }
    QWidget::showEvent(event);
}

void TFrmSettings::hideEvent(QHideEvent* event)
{
    runUnlessSpontaneous(event, [this] { FormHide(); });
    QWidget::hideEvent(event);
}

#pragma once

// The settings window: progress-bar colour, autostart, balloons, proxy and the
// access password. Everything is written to config.ini when it hides.

#include <QWidget>
#include <functional>

class QCheckBox;
class QColorDialog;
class QComboBox;
class QLineEdit;
class QSpinBox;
class QToolButton;
class TbsSkinGroupBox;
class TbsSkinData;
class TbsCompressedStoredSkin;

// Shown in the password box while a password is set: "unchanged".
inline constexpr const char* PasswordPlaceholder = "Rq8#vLm%2wZ!";

// 32 lower-case hex digits: MD5 of (MD5 hex of the 8-bit password + "SOLVEKAB").
QString passwordDigest(const QString& password);

// Runs the colour dialog modally and answers whether the user confirmed;
// tests replace it.
extern std::function<bool(QColorDialog* dialog)> execColorDialog;

// Reads the settings values, then puts them into the settings and main windows.
// Called each time the main window is shown and the settings window hidden.
void loadSettings();

class TFrmSettings : public QWidget {
    Q_OBJECT

public:
    explicit TFrmSettings(QWidget* parent = nullptr);
    ~TFrmSettings() override;

    // Controls filled by loadSettings and read by the download.
    QComboBox* cbox = nullptr;
    QToolButton* SpeedButton1 = nullptr;
    QCheckBox* cstartup = nullptr;
    QCheckBox* cbubble = nullptr;
    QCheckBox* useproxy = nullptr;
    QLineEdit* edtproxyhost = nullptr;
    QSpinBox* sport = nullptr;
    QLineEdit* edtproxyuser = nullptr;
    QLineEdit* edtproxypwd = nullptr;
    QCheckBox* cpwd = nullptr;
    QLineEdit* edtpwd = nullptr;
    QColorDialog* CD = nullptr;
    TbsSkinGroupBox* groupBoxes[4] = {};
    TbsSkinData* SkinData = nullptr;
    TbsCompressedStoredSkin* Store = nullptr;

    // The colour selected in cbox, as the toolkit colour value.
    quint32 selectedColor() const;
    void selectColor(quint32 color);
    // The colour dialog's colour, as the toolkit colour value.
    quint32 DialogColor() const { return dialogColor; }
    void setDialogColor(quint32 color);

    // The settings values into the controls: colour, balloon, proxy, and the
    // password box showing the placeholder while a password is on.
    void showSettingsValues();
    // The colour dialog and the main window's progress bar take the selected colour.
    void applySelectedColor();

    // Handlers, public so tests drive them as the user would.
    void cstartupClick();
    void cboxChange();
    void SpeedButton1Click();
    void cpwdClick();

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void FormShow();
    void FormHide();
    TbsSkinGroupBox* createGroupBox(const QString& caption, const QRect& place);
    void createColorControls(QWidget* box);
    void createSystemControls(QWidget* box);
    void createProxyControls(QWidget* box);
    void createPasswordControls(QWidget* box);
    void setCustomColor(quint32 color);
    // Runs CD on the dialog colour; a confirmed choice becomes the dialog colour.
    bool runColorDialog();
    // The colour box's "Custom..." entry: the dialog picks the entry's colour;
    // false when the user cancelled.
    bool pickCustomColor();

    quint32 dialogColor = 0;
};

extern TFrmSettings* FrmSettings;

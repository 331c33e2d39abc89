#pragma once

// The about box: logo, description and the row of links to the maker's pages.
// It has no caption bar; the user drags it by its background or its logo.

#include <QPoint>
#include <QString>
#include <QWidget>

class QLabel;
class QPlainTextEdit;

// The maker's pages that the about box and the main menu open.
namespace makerPages {
inline constexpr const char* Home = "https://www.solvek.example/";
inline constexpr const char* Video = "https://www.solvek.example/video/";
inline constexpr const char* Social = "https://www.solvek.example/social/";
inline constexpr const char* Community = "https://www.solvek.example/community/";
inline constexpr const char* News = "https://www.solvek.example/news/";
inline constexpr const char* Forum = "https://www.solvek.example/forum/";
} // namespace makerPages

// Opens a page in the default browser; the result is not looked at.
void opensite(const QString& url);

class TFrmAbout : public QWidget {
    Q_OBJECT

public:
    explicit TFrmAbout(QWidget* parent = nullptr);
    ~TFrmAbout() override;

    QLabel* Image8 = nullptr; // background
    QLabel* Image1 = nullptr; // logo, drags the window
    QPlainTextEdit* Memo = nullptr;
    QLabel* Image3 = nullptr; // link icons
    QLabel* Image4 = nullptr;
    QLabel* Image5 = nullptr;
    QLabel* Image6 = nullptr;
    QLabel* Image7 = nullptr;
    QLabel* Image2 = nullptr; // close icon

    // Handlers, public so tests drive them as the user would.
    void Image2Click();
    void Image3Click();
    void Image4Click();
    void Image5Click();
    void Image6Click();
    void Image7Click();

protected:
    void showEvent(QShowEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* picture(const QString& resource, const QRect& place, bool clickable);
    // Moves the window as if its caption were dragged; the window manager does
    // it where it can, otherwise the window follows the mouse itself.
    void startDrag(const QPoint& globalPos);
    void FormMouseDown(const QPoint& globalPos) { startDrag(globalPos); }
    void Image1MouseDown(const QPoint& globalPos) { startDrag(globalPos); }

    bool dragging = false;
    QPoint dragOffset;
};

extern TFrmAbout* FrmAbout;

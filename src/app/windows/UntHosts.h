#pragma once

// The hosts manager: a tree of the downloaded lists and the user's own
// categories, the hosts of the opened category, and the commands that add,
// rename and delete categories and add and delete hosts.

#include "UntListHosts.h"

#include <QDialog>
#include <QIcon>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>

class QLabel;
class QTableView;
class TListRowsModel;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TTreeObj;
class TVistaProBar;

// Starts the hosts-file refresh; tests replace it.
extern std::function<void()> startHostsRefresh;

// The host that an "Add host" text names, after its clean-up: every scheme
// ("http://", "HTTPS://", ...) removed, then the part before the first "/"
// trimmed; a text without a "/" stays as typed, blanks included. Nothing when
// what is left is not a host name.
std::optional<QString> cleanHostInput(const QString& typed);

// The first node of the tree, in tree order, whose text equals text exactly.
QTreeWidgetItem* findTreeNode(QTreeWidget* tree, const QString& text);

// The TTreeObj a user category's node carries; null for every other node.
TTreeObj* treeObjOf(const QTreeWidgetItem* node);

class TFrmHosts : public QDialog, public HostsListTarget {
    Q_OBJECT

public:
    // Images of the tree, by the index its nodes use.
    enum Img16Index {
        imgAbuseCh = 0,
        imgCustomHosts = 1,
        imgZeus = 2,
        imgPalevo = 3,
        imgSpyeye = 4,
        imgUserCategory = 5,
        imgYeldcraft = 7,
        imgGlobalDatabase = 8,
    };

    explicit TFrmHosts(QWidget* parent = nullptr);
    ~TFrmHosts() override;

    QTreeWidget* tree = nullptr;
    QTableView* lst = nullptr;
    TListRowsModel* lstRows = nullptr; // what lst shows
    QWidget* pbottom = nullptr;
    QLabel* Image1 = nullptr;
    QToolButton* btnaddcat = nullptr;
    QToolButton* btndelete = nullptr;
    QToolButton* btnaddhost = nullptr;
    TVistaProBar* p = nullptr;
    QWidget* ptree = nullptr;
    QToolButton* SpeedButton1 = nullptr; // deletes the selected category
    QToolButton* SpeedButton2 = nullptr; // renames it
    QList<QIcon> Img16;

    // Hosts or categories changed since the window was shown.
    bool modded = false;

    // Handlers, public so tests drive them as the user would.
    void treeClick();
    void treeDblClick();
    void btnaddcatClick();
    void btnaddhostClick();
    void btndeleteClick();
    void SpeedButton1Click();
    void SpeedButton2Click();
    // The background of a list row about to be drawn.
    QColor lstAdvancedCustomDrawItem(int row) const;

    void refreshTree();
    void startThread(const QString& catid);
    void startListThread(const QString& category, const QString& reserved);
    // The id of the opened user category, from the caption; "-1" when none.
    void getCatFromName(QString& catid) const;

    // The list thread's steps.
    int fillGeneration() const override { return m_listGeneration.load(); }
    void beginFill(int rows) override;
    void addRows(const TListRows& hosts, int first, int end) override;
    void endFill(bool begun) override;
    void addFirstHost() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormResize();
    void createComponents();
    void createTreeButtons();
    void createBottomButtons();
    void createTree();
    // The opened user category's id, or nothing after telling the user why not.
    std::optional<QString> openedCategory();
    // The opened user category's id; "-1" when none.
    QString openedCategoryId() const;
    // Shows no category: empty list, no host commands, the bare caption.
    void closeCategory();
    // The selected node's category; null when none is selected or, after
    // telling the user, when the node is no user category.
    const TTreeObj* selectedCategory() const;

    std::atomic<int> m_listGeneration{0};
};

extern TFrmHosts* FrmHosts;

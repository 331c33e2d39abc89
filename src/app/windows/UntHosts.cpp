#include "UntHosts.h"

#include "HostName.h"
#include "HostsFile.h"
#include "ListRowsModel.h"
#include "ListWindowParts.h"
#include "MainWindowWorkers.h"
#include "Platform.h"
#include "SQLiteTable3.h"
#include "SystemText.h"
#include "UntForms.h"
#include "UntListHosts.h"
#include "UntSqliteUtils.h"
#include "UntTreeObj.h"
#include "VistaProBar.h"

#include <QHideEvent>
#include <QInputDialog>
#include <QLabel>
#include <QRegularExpression>
#include <QShowEvent>
#include <QTableView>
#include <QToolButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include <algorithm>
#include <memory>

TFrmHosts* FrmHosts = nullptr;

std::function<void()> startHostsRefresh = startHostsFileRefresh;

namespace {

constexpr int clientWidth = 501;
constexpr int clientHeight = 377;
const QString captionPrefix = QStringLiteral("Manage Hosts");

// A user category's node owns its TTreeObj.
class TCategoryNode : public QTreeWidgetItem {
public:
    explicit TCategoryNode(QTreeWidgetItem* parent) : QTreeWidgetItem(parent, UserType) {}
    std::unique_ptr<TTreeObj> data;
};

QString quoted(const QString& value)
{
    return QLatin1Char('"') + value + QLatin1Char('"');
}

void informAlreadyExists(const QString& what, const QString& value)
{
    platform::messageBox(nullptr,
                         QStringLiteral("The following %1 %2 already exists in our database.")
                             .arg(what, quoted(value)),
                         QStringLiteral("Already exists"),
                         platform::MB_OK | platform::MB_ICONINFORMATION);
}

void informSelectAnItem()
{
    platform::messageBox(
        nullptr, QStringLiteral("You must select an item before doing such action !"),
        QStringLiteral("Select an item"), platform::MB_OK | platform::MB_ICONERROR);
}

bool confirmed(const QString& text, const QString& title)
{
    return platform::messageBox(nullptr, text, title,
                                platform::MB_YESNO | platform::MB_ICONQUESTION) != platform::IDNO;
}

// The toolkit's input dialog: the text as typed, or nothing on Cancel and for
// a blank text.
std::optional<QString> askText(QWidget* owner, const QString& title, const QString& prompt,
                               const QString& initialText = QString())
{
    bool ok = false;
    const QString typed =
        QInputDialog::getText(owner, title, prompt, QLineEdit::Normal, initialText, &ok);
    if (!ok || systemtext::trimmed(typed).isEmpty())
        return std::nullopt;
    return typed;
}

// A category name that is not in use yet; one in use is told to the user.
std::optional<QString> askNewCategoryName(QWidget* owner, const QString& title,
                                          const QString& prompt,
                                          const QString& initialText = QString())
{
    std::optional<QString> name = askText(owner, title, prompt, initialText);
    if (name && catExists(*name)) {
        informAlreadyExists(QStringLiteral("cateogry"), *name);
        return std::nullopt;
    }
    return name;
}

QString catIdOf(const TTreeObj* category)
{
    QString catid;
    category->getCatId(catid);
    return catid;
}

} // namespace

std::optional<QString> cleanHostInput(const QString& typed)
{
    // Any scheme, in any case: "http://", "HTTPS://", "ftp://".
    static const QRegularExpression scheme(QStringLiteral("[A-Za-z][A-Za-z0-9+.\\-]*://"));
    QString text = typed;
    text.remove(scheme);

    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    if (slash >= 0) {
        const QString beforeSlash = systemtext::trimmed(QStringView(text).first(slash)).toString();
        if (!beforeSlash.isEmpty())
            text = beforeSlash;
    }
    if (!isHostName(systemtext::trimmed(text)))
        return std::nullopt;
    return text;
}

QTreeWidgetItem* findTreeNode(QTreeWidget* tree, const QString& text)
{
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        if ((*it)->text(0) == text)
            return *it;
    return nullptr;
}

TTreeObj* treeObjOf(const QTreeWidgetItem* node)
{
    const auto* category = node ? dynamic_cast<const TCategoryNode*>(node) : nullptr;
    return category ? category->data.get() : nullptr;
}

TFrmHosts::TFrmHosts(QWidget* parent) : QDialog(parent)
{
    FrmHosts = this;
    initResources();
    setWindowTitle(captionPrefix);
    setFont(windowFont());
    resize(clientWidth, clientHeight);
    setMinimumSize(360, 200);
    createComponents();
    FormCreate();
}

TFrmHosts::~TFrmHosts()
{
    if (FrmHosts == this)
        FrmHosts = nullptr;
}

void TFrmHosts::createComponents()
{
    const char* const images[] = {
        ":/images/list_tracker.png",
        ":/images/list_custom.png",
        ":/images/list_bot_zeus.png",
        ":/images/list_bot_palevo.png",
        ":/images/list_bot_spyeye.png",
        ":/images/list_category.png",
        "",
        ":/images/shield_16.png",
        ":/images/img16_1_database.png",
    };
    for (const char* file : images)
        Img16.append(*file ? QIcon(QString::fromLatin1(file)) : QIcon());

    tree = createViewTree(this);
    tree->setExpandsOnDoubleClick(false);
    connectReported(tree, &QTreeWidget::itemClicked, this, &TFrmHosts::treeClick);
    connectReported(tree, &QTreeWidget::itemDoubleClicked, this, &TFrmHosts::treeDblClick);

    lst = new TReportList(this);
    lstRows = new TListRowsModel({QString()}, lst);
    setUpReportList(lst, lstRows, false);
    lst->setItemDelegate(
        new TRowColorDelegate([this](int row) { return lstAdvancedCustomDrawItem(row); }, lst));

    createTreeButtons();
    createBottomButtons();
    p = createListProgressBar(pbottom);

    createTree();
    FormResize();
}

void TFrmHosts::createTreeButtons()
{
    ptree = new QWidget(this);
    SpeedButton1 = addTreeButton(ptree, QStringLiteral(":/images/list_delete.png"),
                                 QStringLiteral("Delete this category"));
    SpeedButton2 = addTreeButton(ptree, QStringLiteral(":/images/list_rename.png"),
                                 QStringLiteral("Rename this category"));
    ptree->hide();
    connectReported(SpeedButton1, &QToolButton::clicked, this, &TFrmHosts::SpeedButton1Click);
    connectReported(SpeedButton2, &QToolButton::clicked, this, &TFrmHosts::SpeedButton2Click);
}

void TFrmHosts::createBottomButtons()
{
    pbottom = createBottomPanel(this);
    Image1 = createPanelBackground(pbottom);
    btnaddcat = createPanelButton(pbottom, QStringLiteral("Add Category"));
    btnaddcat->move(4, 7);
    btndelete = createPanelButton(pbottom, QStringLiteral("Delete Selected"));
    btnaddhost = createPanelButton(pbottom, QStringLiteral("Add Host"));
    btndelete->hide();
    btnaddhost->hide();
    connectReported(btnaddcat, &QToolButton::clicked, this, &TFrmHosts::btnaddcatClick);
    connectReported(btndelete, &QToolButton::clicked, this, &TFrmHosts::btndeleteClick);
    connectReported(btnaddhost, &QToolButton::clicked, this, &TFrmHosts::btnaddhostClick);
}

void TFrmHosts::createTree()
{
    struct Child {
        const char* text;
        int image;
    };
    const auto addRoot = [this](const char* text, int image,
                                std::initializer_list<Child> children) {
        auto* root = new QTreeWidgetItem(tree, {QString::fromLatin1(text)});
        setNodeImage(root, image, Img16);
        for (const Child& child : children)
            setNodeImage(new QTreeWidgetItem(root, {QString::fromLatin1(child.text)}), child.image,
                         Img16);
    };
    addRoot("Abuse CH", imgAbuseCh,
            {{"Zeus Bot", imgZeus}, {"Palevo Bot", imgPalevo}, {"Spyeye Bot", imgSpyeye}});
    addRoot("Yeldcraft", imgYeldcraft, {{"Global Database", imgGlobalDatabase}});
    addRoot("Custom Hosts", imgCustomHosts, {});
}

void TFrmHosts::FormCreate()
{
    tree->expandAll();
    modded = false;
}

void TFrmHosts::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    runUnlessSpontaneous(event, [this] { FormShow(); });
}

void TFrmHosts::hideEvent(QHideEvent* event)
{
    QDialog::hideEvent(event);
    runUnlessSpontaneous(event, [this] { FormClose(); });
}

void TFrmHosts::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    FormResize();
}

void TFrmHosts::FormShow()
{
    modded = false;
    refreshTree();
}

void TFrmHosts::FormClose()
{
    if (modded)
        startHostsRefresh();
}

void TFrmHosts::FormResize()
{
    layOutListViews(this, {pbottom, Image1, tree, lst, ptree});
    btnaddhost->move(width() - 4 - btnaddhost->width(), 7);
    btndelete->move(btnaddhost->x() - 4 - btndelete->width(), 7);
    p->resize(width() - 8, p->height());
}

void TFrmHosts::refreshTree()
{
    createDB();
    const std::unique_ptr<TSQLiteTable> table =
        queryTable(QStringLiteral("SELECT * FROM categories WHERE reserved != \"Y\";"));
    QTreeWidgetItem* customHosts = findTreeNode(tree, QStringLiteral("Custom Hosts"));
    if (customHosts)
        qDeleteAll(customHosts->takeChildren());
    if (customHosts && table->Count() > 0) {
        const int catid = table->FindFieldIndex(QStringLiteral("catid"));
        const int catname = table->FindFieldIndex(QStringLiteral("catname"));
        for (; !table->GetEOF(); table->Next()) {
            auto* node = new TCategoryNode(customHosts);
            node->setText(0, table->FieldAsString(catname));
            node->data = std::make_unique<TTreeObj>();
            node->data->setCatId(table->FieldAsString(catid));
            setNodeImage(node, imgUserCategory, Img16);
        }
    }
    tree->expandAll();
}

void TFrmHosts::treeClick()
{
    const QTreeWidgetItem* node = tree->currentItem();
    ptree->setVisible(node && node->parent() && nodeImage(node->parent()) == imgCustomHosts);
}

void TFrmHosts::treeDblClick()
{
    const QTreeWidgetItem* node = tree->currentItem();
    if (!node || !node->parent())
        return;

    lstRows->clear();
    btnaddhost->hide();
    btndelete->hide();
    setWindowTitle(captionPrefix + QStringLiteral(" - ") + node->text(0));

    // Names first: a user category named like a downloaded list opens that list.
    const QString text = node->text(0);
    if (text == QLatin1String("Zeus Bot")) {
        startListThread(QStringLiteral("1"), QStringLiteral("Y"));
    } else if (text == QLatin1String("Palevo Bot")) {
        startListThread(QStringLiteral("2"), QStringLiteral("Y"));
    } else if (text == QLatin1String("Spyeye Bot")) {
        startListThread(QStringLiteral("3"), QStringLiteral("Y"));
    } else if (nodeImage(node) == imgGlobalDatabase && nodeImage(node->parent()) == imgYeldcraft) {
        startListThread(QStringLiteral("4"), QStringLiteral("Y"));
    } else if (const TTreeObj* category = treeObjOf(node)) {
        btnaddhost->show();
        btndelete->show();
        startListThread(catIdOf(category), QStringLiteral("N"));
    }
}

void TFrmHosts::startListThread(const QString& category, const QString& reserved)
{
    lstRows->clear();
    ++m_listGeneration;
    auto* thread = new TListHosts(this);
    thread->setCat(category);
    thread->setReserved(reserved);
    startViewThread(thread);
}

void TFrmHosts::beginFill(int rows)
{
    beginListFill(tree, lstRows, p, rows);
}

void TFrmHosts::addRows(const TListRows& hosts, int first, int end)
{
    lstRows->appendRows(hosts, first, end);
    stepListProgress(p, end - 1, hosts.rowCount());
}

void TFrmHosts::endFill(bool /*begun*/)
{
    endListFill(tree, p);
    lst->viewport()->update();
}

void TFrmHosts::addFirstHost()
{
    btnaddhostClick();
}

void TFrmHosts::startThread(const QString& catid)
{
    startListThread(catid, QStringLiteral("N"));
}

QString TFrmHosts::openedCategoryId() const
{
    QString catid;
    getCatFromName(catid);
    return catid;
}

void TFrmHosts::closeCategory()
{
    // A list still loading leaves the window alone; its end step is done here.
    ++m_listGeneration;
    endListFill(tree, p);
    lstRows->clear();
    btnaddhost->hide();
    btndelete->hide();
    setWindowTitle(captionPrefix);
}

void TFrmHosts::getCatFromName(QString& catid) const
{
    catid = QStringLiteral("-1");
    const QString caption = windowTitle();
    const qsizetype dash = caption.indexOf(QLatin1Char('-'));
    const QString name = systemtext::trimmed(QStringView(caption).sliced(dash + 1)).toString();
    if (const TTreeObj* category = treeObjOf(findTreeNode(tree, name)))
        category->getCatId(catid);
}

std::optional<QString> TFrmHosts::openedCategory()
{
    QString catid;
    getCatFromName(catid);
    if (catid != QLatin1String("-1"))
        return catid;
    // Renaming the opened category leaves its old name in the caption.
    platform::messageBox(nullptr,
                         QStringLiteral("The opened category no longer exists under this name, "
                                        "open it again from the tree first."),
                         QStringLiteral("No category"), platform::MB_OK | platform::MB_ICONERROR);
    return std::nullopt;
}

void TFrmHosts::btnaddcatClick()
{
    const std::optional<QString> name = askNewCategoryName(
        this, QStringLiteral("Add new category"), QStringLiteral("Choose the category name"));
    if (!name)
        return;
    execSQL(QStringLiteral("INSERT INTO categories VALUES(:catid, :catname, \"N\");"),
            {{QStringLiteral(":catid"), getNextCatID(QStringLiteral("N"))},
             {QStringLiteral(":catname"), *name}});
    refreshTree();
}

const TTreeObj* TFrmHosts::selectedCategory() const
{
    const QTreeWidgetItem* node = tree->currentItem();
    const TTreeObj* category = treeObjOf(node);
    if (node && !category)
        informSelectAnItem();
    return category;
}

void TFrmHosts::SpeedButton2Click()
{
    const TTreeObj* category = selectedCategory();
    if (!category)
        return;
    const std::optional<QString> name =
        askNewCategoryName(this, QStringLiteral("Choose the new name for this category"),
                           QStringLiteral("Refactor"), tree->currentItem()->text(0));
    if (!name)
        return;
    const QString catid = catIdOf(category);
    const bool wasOpened = openedCategoryId() == catid;
    execSQL(QStringLiteral(
                "UPDATE categories SET catname=:catname WHERE catid=:catid AND reserved=\"N\";"),
            {{QStringLiteral(":catname"), *name}, {QStringLiteral(":catid"), catid}});
    refreshTree();
    // The caption is the record of the opened category, so it takes the new name.
    if (wasOpened)
        setWindowTitle(captionPrefix + QStringLiteral(" - ") + *name);
}

void TFrmHosts::SpeedButton1Click()
{
    const TTreeObj* category = selectedCategory();
    if (!category ||
        !confirmed(QStringLiteral("This action will definitively delete this category %1 and all "
                                  "it content (host list), Are you sure ?")
                       .arg(quoted(tree->currentItem()->text(0))),
                   QStringLiteral("Delete category")))
        return;

    const QString catid = catIdOf(category);
    const bool wasOpened = openedCategoryId() == catid;
    cleanFromHosts(getCatHosts(catid, QStringLiteral("N")));
    const SqlParams key = {{QStringLiteral(":catid"), catid}};
    execSQL(QStringLiteral("DELETE FROM categories WHERE catid=:catid AND reserved=\"N\""), key);
    execSQL(QStringLiteral("DELETE FROM hosts WHERE category=:catid AND reserved=\"N\""), key);

    ptree->hide();
    if (wasOpened)
        closeCategory();
    modded = true;
    refreshTree();
}

void TFrmHosts::btnaddhostClick()
{
    const std::optional<QString> catid = openedCategory();
    if (!catid)
        return;
    const std::optional<QString> text =
        askText(this, QStringLiteral("Add new host"),
                QStringLiteral("Choose the host name (ex : website.com)"));
    if (!text)
        return;
    const std::optional<QString> host = cleanHostInput(*text);
    if (!host) {
        platform::messageBox(nullptr,
                             QStringLiteral("The text %1 is not a host name, enter a host such as "
                                            "website.com.")
                                 .arg(quoted(*text)),
                             QStringLiteral("Not a host"),
                             platform::MB_OK | platform::MB_ICONERROR);
        return;
    }
    if (hostExists(*host)) {
        informAlreadyExists(QStringLiteral("host"), *host);
        return;
    }
    execSQL(QStringLiteral("INSERT INTO hosts VALUES(:catid, :host, \"N\");"),
            {{QStringLiteral(":catid"), *catid}, {QStringLiteral(":host"), *host}});
    modded = true;
    startThread(*catid);
}

void TFrmHosts::btndeleteClick()
{
    QList<int> rows;
    for (const QModelIndex& index : lst->selectionModel()->selectedRows())
        rows.append(index.row());
    if (rows.isEmpty()) {
        informSelectAnItem();
        return;
    }
    std::sort(rows.begin(), rows.end());
    const QString host = lstRows->text(rows.first(), 0);
    if (!confirmed(
            QStringLiteral("This action will definitively delete this host %1, Are you sure ?")
                .arg(quoted(host)),
            QStringLiteral("Delete host")))
        return;

    // From every user category at once.
    execSQL(QStringLiteral("DELETE FROM hosts WHERE host=:host AND reserved=\"N\""),
            {{QStringLiteral(":host"), host}});
    cleanFromHosts(host);
    lstRows->removeRowList(rows);
    modded = true;
}

QColor TFrmHosts::lstAdvancedCustomDrawItem(int row) const
{
    return listRowColor(row);
}

#include "frame/CursorCollectionBar.h"

#include "app/CommandIds.h"
#include "app/Resource.h"
#include "app/Utils.h"
#include "frame/CommandManager.h"
#include "objects/ObjectBlock.h"
#include "objects/ObjectTypes.h"
#include "objects/TranspImage.h"
#include "platform/Guard.h"
#include "platform/MessageBoxes.h"
#include "platform/ResourceModule.h"
#include "platform/imaging/BitmapBase.h"
#include "platform/imaging/ImagingTypes.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QDragMoveEvent>
#include <QDropEvent>
#include <QFile>
#include <QListWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QResizeEvent>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QUrl>
#include <algorithm>

namespace {
constexpr int kShelfMenu = 240;
// Each item takes a cell of 40 pixels; the strip starts 7 pixels in, the buttons' margin is 23.
constexpr int kCell = 40;
constexpr int kStripLeft = 7;
constexpr int kButtonMargin = 23;
constexpr int kButtonWidth = 20;
constexpr int kButtonHeight = 18;
constexpr int kBorder = 3;
// The collection index of a strip item.
constexpr int kIndexRole = Qt::UserRole + 1;

// The item as the strip shows it: fitted into 32 x 32, white as transparent.
QIcon ItemIcon(const QByteArray& block) {
    QPixmap cell(SHELF_CURSOR_SIZE, SHELF_CURSOR_SIZE);
    cell.fill(Qt::transparent);
    SIZE size;
    LBitmapBase bitmap;
    if (GetPictureBlockSize(block, size)) {
        std::int32_t dibSize = 0;
        const CObjectBlockReader r(block);
        r.Int32(IMAGE_BLOCK_DIBSIZE, dibSize);
        if (bitmap.ConvertFromDIB(r.Bytes(IMAGE_BLOCK_DIB, dibSize)) == SUCCESS) {
            QImage image = bitmap.ToQImage().convertToFormat(QImage::Format_ARGB32);
            for (int y = 0; y < image.height(); ++y) {
                auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
                for (int x = 0; x < image.width(); ++x)
                    if ((row[x] & 0xFFFFFF) == 0xFFFFFF) row[x] = 0;
            }
            if (image.width() > SHELF_CURSOR_SIZE || image.height() > SHELF_CURSOR_SIZE)
                image = image.scaled(SHELF_CURSOR_SIZE, SHELF_CURSOR_SIZE, Qt::KeepAspectRatio,
                                     Qt::SmoothTransformation);
            QPainter p(&cell);
            p.drawImage((SHELF_CURSOR_SIZE - image.width()) / 2,
                        (SHELF_CURSOR_SIZE - image.height()) / 2, image);
        }
    }
    return QIcon(cell);
}

// Labels are kept but not shown: the strip paints the pictures only, and the text appears in the
// editor while a label is renamed.
class CIconOnlyDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->text.clear();
        option->features &= ~QStyleOptionViewItem::HasDisplay;
    }
};
} // namespace

// The visible row of the shelf: it hands drags, drops and its context menu to the bar.
class CShelfStrip : public QListWidget {
public:
    CShelfStrip(CCursorCollectionBar& bar, QWidget* parent) : QListWidget(parent), m_bar(bar) {
        setObjectName(QStringLiteral("ShelfStrip"));
        setViewMode(QListView::IconMode);
        setFlow(QListView::LeftToRight);
        setWrapping(false);
        setMovement(QListView::Static);
        setIconSize(QSize(SHELF_CURSOR_SIZE, SHELF_CURSOR_SIZE));
        setGridSize(QSize(kCell, kCell));
        setSelectionMode(QAbstractItemView::SingleSelection);
        setEditTriggers(QAbstractItemView::NoEditTriggers);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setDragEnabled(true);
        setAcceptDrops(true);
        setDropIndicatorShown(false);
        setItemDelegate(new CIconOnlyDelegate(this));
    }

protected:
    void startDrag(Qt::DropActions) override {
        if (QListWidgetItem* item = currentItem()) m_bar.StartDrag(item->data(kIndexRole).toInt());
    }
    void dragEnterEvent(QDragEnterEvent* event) override { Offer(event); }
    void dragMoveEvent(QDragMoveEvent* event) override { Offer(event); }
    void dropEvent(QDropEvent* event) override {
        if (!Offer(event)) return;
        if (m_bar.Drop(event->mimeData())) event->acceptProposedAction();
    }
    void contextMenuEvent(QContextMenuEvent* event) override {
        if (QListWidgetItem* item = itemAt(event->pos())) setCurrentItem(item);
        if (QMenu* menu = m_pMenu()) menu->exec(event->globalPos());
    }

public:
    std::function<QMenu*()> m_pMenu = [] { return nullptr; };

private:
    // Ctrl and Shift together refuse, Ctrl copies, anything else moves; the shelf's own items
    // dragged back onto it are not added again.
    bool Offer(QDropEvent* event) {
        const Qt::KeyboardModifiers keys = event->modifiers();
        const bool both = (keys & Qt::ControlModifier) && (keys & Qt::ShiftModifier);
        if (event->source() == this || both || !m_bar.CanDrop(event->mimeData())) {
            event->ignore();
            return false;
        }
        const Qt::DropAction wanted = (keys & Qt::ControlModifier) ? Qt::CopyAction : Qt::MoveAction;
        event->setDropAction(event->possibleActions() & wanted ? wanted : Qt::CopyAction);
        event->accept();
        return true;
    }

    CCursorCollectionBar& m_bar;
};

CCursorCollectionBar::CCursorCollectionBar(QWidget* parent) : QDockWidget(parent) {
    setObjectName(QStringLiteral("ShelfBar"));
    setWindowTitle(LoadResString(IDS_SHELF_CAPTION));
    setAllowedAreas(Qt::BottomDockWidgetArea);
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable);
    // What the program ends with is kept; the frame is not always destroyed at the end.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { StoreOnExit(); });
}

CCursorCollectionBar::~CCursorCollectionBar() {
    StoreOnExit();
    FreeAllListItems();
}

bool CCursorCollectionBar::CreateBar(const QString& path) {
    DEF_TRY
    m_strPath = path;
    m_pClient = new QWidget(this);
    m_pClient->setMinimumHeight(kCell + 2 * kBorder);
    m_pStrip = new CShelfStrip(*this, m_pClient);
    m_pUp = new QToolButton(m_pClient);
    m_pUp->setObjectName(QStringLiteral("ShelfUp"));
    m_pUp->setArrowType(Qt::UpArrow);
    m_pDown = new QToolButton(m_pClient);
    m_pDown->setObjectName(QStringLiteral("ShelfDown"));
    m_pDown->setArrowType(Qt::DownArrow);
    connect(m_pUp, &QToolButton::clicked, this, [this] { ButtonUp(); });
    connect(m_pDown, &QToolButton::clicked, this, [this] { ButtonDown(); });
    connect(m_pStrip, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { OnLabelEdited(item); });
    m_pClient->installEventFilter(this);
    setWidget(m_pClient);
    OnSize();
    return true;
    DEF_CATCH
    return false;
}

void CCursorCollectionBar::RegisterCommands(CCommandMap& map, CCommandManager* commands) {
    const auto selected = [this](CCmdUI& ui) { ui.Enable(IsSelectedItem()); };
    map.On(ID_COLLECTIONBAR_DELETE, [this] { FreeSelectedListItem(); }, selected);
    map.On(ID_COLLECTIONBAR_RENAME, [this] { OnCollectionbarRename(); }, selected);
    map.On(
        ID_VIEW_SHELF_BAR, [this] { setVisible(!isVisible()); },
        [this](CCmdUI& ui) { ui.SetCheck(isVisible()); });
    if (!commands || !m_pStrip) return;
    for (UINT id : {UINT(ID_COLLECTIONBAR_DELETE), UINT(ID_COLLECTIONBAR_RENAME)})
        if (QAction* a = commands->Action(id)) {
            if (QWidget* window = parentWidget()) window->removeAction(a);
            a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
            addAction(a);
        }
    QMenu* menu = nullptr;
    m_pStrip->m_pMenu = [this, commands, menu]() mutable {
        if (!menu) menu = commands->BuildPopup(kShelfMenu, 0, this);
        if (menu) commands->UpdateAll();
        return menu;
    };
}

QListWidget* CCursorCollectionBar::GetStrip() const { return m_pStrip; }

// ---- Items -------------------------------------------------------------------------------------

void CCursorCollectionBar::EnsureLoaded() {
    if (m_bLoaded) return;
    m_bLoaded = true;
    LoadCollection();
}

LONG CCursorCollectionBar::AddItem(const QByteArray& block) {
    DEF_TRY
    EnsureLoaded();
    const CObjectBlockReader r(block);
    const LONG kind = r.IsValid() ? r.GetKind() : 0;
    if (kind != CLIPKIND_IMAGE) return kind;
    if (IsShelfPicture(block)) m_items.push_back(SHELFITEM{block.left(r.GetSize()), {}});
    return 0;
    DEF_CATCH
    return 0;
}

void CCursorCollectionBar::AddToCurrentCursorsList(const QByteArray& dib) {
    DEF_TRY
    EnsureLoaded();
    const QByteArray block = DibToPictureBlock(dib);
    if (!IsShelfPicture(block, true)) return;
    m_items.push_back(SHELFITEM{block, {}});
    Changed();
    DEF_CATCH
}

void CCursorCollectionBar::AddDIB(const QByteArray& dib) {
    DEF_TRY
    const QByteArray block = DibToPictureBlock(dib);
    if (!block.isEmpty()) AddItem(block);
    DEF_CATCH
}

bool CCursorCollectionBar::AddImageFile(const QString& path) {
    DEF_TRY
    LBitmapBase bitmap;
    if (bitmap.Load(path) != SUCCESS || !bitmap.IsAllocated()) return false;
    const QByteArray dib = bitmap.ConvertToDIB();
    if (dib.isEmpty()) return false;
    AddDIB(dib);
    return true;
    DEF_CATCH
    return false;
}

void CCursorCollectionBar::FreeAllListItems() {
    m_items.clear();
    if (m_pStrip && !m_bRedrawing) m_pStrip->clear();
}

void CCursorCollectionBar::FreeListItem(int index) {
    if (index >= 0 && index < GetItemCount()) m_items.erase(m_items.begin() + index);
}

bool CCursorCollectionBar::IsSelectedItem() const { return GetSelectedIndex() >= 0; }

int CCursorCollectionBar::GetSelectedIndex() const {
    if (!m_pStrip) return -1;
    const QList<QListWidgetItem*> items = m_pStrip->selectedItems();
    if (items.isEmpty()) return -1;
    const int index = items.first()->data(kIndexRole).toInt();
    return index < GetItemCount() ? index : -1;
}

void CCursorCollectionBar::SelectItem(int index) {
    if (!m_pStrip) return;
    for (int i = 0; i < m_pStrip->count(); ++i)
        if (m_pStrip->item(i)->data(kIndexRole).toInt() == index) {
            m_pStrip->setCurrentRow(i);
            return;
        }
    m_pStrip->clearSelection();
}

QRect CCursorCollectionBar::GetItemScreenRect(int index) const {
    if (!m_pStrip) return {};
    for (int i = 0; i < m_pStrip->count(); ++i)
        if (m_pStrip->item(i)->data(kIndexRole).toInt() == index) {
            const QRect r = m_pStrip->visualItemRect(m_pStrip->item(i));
            return QRect(m_pStrip->viewport()->mapToGlobal(r.topLeft()), r.size());
        }
    return {};
}

void CCursorCollectionBar::FreeSelectedListItem() {
    DEF_TRY
    const int index = GetSelectedIndex();
    if (index < 0) return;
    if (YesNoBox(IDS_SHELF_DELETE_QUESTION) != IDYES) return;
    FreeListItem(index);
    StoreCollection();
    // What is shown is what the file now holds.
    FreeAllListItems();
    LoadCollection();
    DEF_CATCH
}

void CCursorCollectionBar::OnCollectionbarRename() {
    DEF_TRY
    if (!m_pStrip || !IsSelectedItem()) return;
    const QList<QListWidgetItem*> items = m_pStrip->selectedItems();
    m_pStrip->editItem(items.first());
    DEF_CATCH
}

void CCursorCollectionBar::OnLabelEdited(QListWidgetItem* item) {
    DEF_TRY
    if (m_bRedrawing || !item) return;
    const int index = item->data(kIndexRole).toInt();
    if (index < 0 || index >= GetItemCount()) return;
    QByteArray label = item->text().toUtf8();
    // The file ends a label at its first zero.
    if (const qsizetype zero = label.indexOf('\0'); zero >= 0) label.truncate(zero);
    if (label == m_items[std::size_t(index)].label) return;
    m_items[std::size_t(index)].label = label;
    StoreCollection();
    DEF_CATCH
}

void CCursorCollectionBar::Changed() {
    RedrawVisibleList();
    StoreCollection();
}

// ---- The file ----------------------------------------------------------------------------------

void CCursorCollectionBar::LoadCollection() {
    DEF_TRY
    m_bLoaded = true;
    std::vector<SHELFITEM> read;
    QString reason;
    const ShelfReadResult result = ReadShelfFile(m_strPath, read, reason);
    if (result == ShelfReadResult::Missing) {
        RedrawVisibleList();
        return;
    }
    FreeAllListItems();
    // Whatever was read before a fault stays on the shelf; the labels go with their items.
    for (SHELFITEM& item : read) {
        const std::size_t before = m_items.size();
        AddItem(item.block);
        if (m_items.size() > before) m_items.back().label = std::move(item.label);
    }
    m_bReadFailed = result == ShelfReadResult::Failed;
    if (m_bReadFailed)
        ErrorBox(LoadResString(IDS_SHELF_READ_ERROR).arg(FileNameForMessage(m_strPath), reason));
    RedrawVisibleList();
    DEF_CATCH
}

void CCursorCollectionBar::StoreOnExit() {
    if (!m_bReadFailed) StoreCollection();
}

void CCursorCollectionBar::StoreCollection() {
    DEF_TRY
    if (m_strPath.isEmpty() || !m_bLoaded) return;
    if (m_bReadFailed) {
        // The shelf that could not be read is kept beside the new one, so that nothing the
        // user had is gone for good.
        const QString kept = m_strPath + QStringLiteral(".bad");
        QFile::remove(kept);
        QFile::copy(m_strPath, kept);
        m_bReadFailed = false;
    }
    QString reason;
    if (!WriteShelfFile(m_strPath, m_items, reason))
        ErrorBox(LoadResString(IDS_SHELF_WRITE_ERROR).arg(FileNameForMessage(m_strPath), reason));
    DEF_CATCH
}

// ---- The strip ---------------------------------------------------------------------------------

void CCursorCollectionBar::RedrawVisibleList() {
    DEF_TRY
    if (!m_pStrip) return;
    // The buttons come and go with the number of items.
    Layout();
    m_bRedrawing = true;
    m_pStrip->clear();
    const int total = GetItemCount();
    m_nItemsPerRow = std::max(1, m_pStrip->viewport()->width() / kCell);
    if (m_nPage < 0) m_nPage = 0;
    if (m_nPage > total / m_nItemsPerRow) --m_nPage;
    const int last = std::min(m_nItemsPerRow * (m_nPage + 1), total);
    for (int i = m_nItemsPerRow * m_nPage; i < last; ++i) {
        const SHELFITEM& shelf = m_items[std::size_t(i)];
        auto* item = new QListWidgetItem(ItemIcon(shelf.block), QString::fromUtf8(shelf.label));
        item->setData(kIndexRole, i);
        item->setToolTip(QString::fromUtf8(shelf.label));
        item->setFlags(item->flags() | Qt::ItemIsEditable | Qt::ItemIsDragEnabled);
        m_pStrip->addItem(item);
    }
    m_bRedrawing = false;
    DEF_CATCH
    m_bRedrawing = false;
}

void CCursorCollectionBar::ButtonUp() {
    --m_nPage;
    RedrawVisibleList();
}

void CCursorCollectionBar::ButtonDown() {
    ++m_nPage;
    RedrawVisibleList();
}

void CCursorCollectionBar::OnSize() {
    Layout();
    RedrawVisibleList();
}

void CCursorCollectionBar::Layout() {
    DEF_TRY
    if (!m_pClient) return;
    const QRect client = m_pClient->rect().adjusted(kBorder, kBorder, -kBorder, -kBorder);
    const int perRow = std::max(1, (client.right() - kStripLeft) / kCell);
    int right = client.right();
    const bool buttons = perRow < GetItemCount();
    if (buttons) {
        right -= kButtonMargin;
        const int x = client.right() - kButtonWidth;
        m_pUp->setGeometry(x, client.top(), kButtonWidth, kButtonHeight);
        m_pDown->setGeometry(x, client.bottom() - kButtonHeight + 1, kButtonWidth, kButtonHeight);
    }
    m_pUp->setVisible(buttons);
    m_pDown->setVisible(buttons);
    const QRect strip(kStripLeft, client.top(), std::max(0, right - kStripLeft), client.height());
    if (m_pStrip->geometry() != strip) m_pStrip->setGeometry(strip);
    DEF_CATCH
}

void CCursorCollectionBar::showEvent(QShowEvent* event) {
    QDockWidget::showEvent(event);
    EnsureLoaded();
    OnSize();
}

bool CCursorCollectionBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_pClient && event->type() == QEvent::Resize) OnSize();
    return QDockWidget::eventFilter(watched, event);
}

// ---- Drag and drop -----------------------------------------------------------------------------

bool CCursorCollectionBar::CanDrop(const QMimeData* data) const {
    if (!data) return false;
    return data->hasFormat(QString::fromLatin1(OBJECT_CLIPBOARD_MIME)) ||
           data->hasFormat(brellin::imaging::DibMimeType()) || data->hasImage() || data->hasUrls();
}

bool CCursorCollectionBar::Drop(const QMimeData* data) {
    DEF_TRY
    if (!CanDrop(data)) return false;
    const QString objects = QString::fromLatin1(OBJECT_CLIPBOARD_MIME);
    if (data->hasFormat(objects)) {
        AddItem(data->data(objects));
    } else if (data->hasFormat(brellin::imaging::DibMimeType())) {
        AddDIB(data->data(brellin::imaging::DibMimeType()));
    } else if (data->hasImage()) {
        // Other programs here offer pictures as images rather than as bitmaps.
        LBitmapBase bitmap;
        if (bitmap.SetImage(qvariant_cast<QImage>(data->imageData())) == SUCCESS)
            AddDIB(bitmap.ConvertToDIB());
    } else {
        QStringList paths;
        for (const QUrl& url : data->urls())
            if (url.isLocalFile()) paths.append(url.toLocalFile());
        OnDropFiles(paths);
    }
    Changed();
    return true;
    DEF_CATCH
    return false;
}

void CCursorCollectionBar::OnDropFiles(const QStringList& paths) {
    DEF_TRY
    // Image files become items; the main window takes the others (documents it opens).
    QStringList others;
    for (const QString& path : paths) {
        if (IsImageFormatSupported(path)) AddImageFile(path);
        else others.append(path);
    }
    Changed();
    if (m_openFiles && !others.isEmpty()) m_openFiles(others);
    DEF_CATCH
}

void CCursorCollectionBar::StartDrag(int index) {
    DEF_TRY
    if (index < 0 || index >= GetItemCount()) return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(OBJECT_CLIPBOARD_MIME), m_items[std::size_t(index)].block);
    auto* drag = new QDrag(m_pStrip);
    drag->setMimeData(data);
    drag->setPixmap(ItemIcon(m_items[std::size_t(index)].block).pixmap(SHELF_CURSOR_SIZE));
    drag->exec(Qt::CopyAction, Qt::CopyAction);
    DEF_CATCH
}

#pragma once
// CCursorCollectionBar: the shelf, a bar docked at the bottom of the main window that keeps small
// pictures and captured mouse cursors between sessions. Its strip shows one row of 32 x 32 items
// (white shows as transparent), paged with the up and down buttons; items are dragged out onto
// pages as picture objects, and pictures, bitmaps and image files dropped on the strip join the
// shelf. The items live in "tkshelf.dat" in the per-user data folder (frame/ShelfFile.h), read
// when the bar is first shown and written after every change and when the program ends.

#include "app/CommandTarget.h"
#include "frame/ShelfFile.h"

#include <QDockWidget>
#include <QRect>
#include <QStringList>
#include <functional>
#include <vector>

class CCommandManager;
class QListWidget;
class QListWidgetItem;
class QMimeData;
class QToolButton;
class CShelfStrip;

class CCursorCollectionBar : public QDockWidget {
    Q_OBJECT
public:
    explicit CCursorCollectionBar(QWidget* parent = nullptr);
    ~CCursorCollectionBar() override;

    // Remembers the shelf file's path and builds the strip and its buttons; false when a part
    // could not be made.
    bool CreateBar(const QString& path);
    const QString& GetPath() const { return m_strPath; }
    // The frame's commands of the bar: delete, rename, show or hide. The keys of delete and rename
    // act only while the bar has the keyboard, so that Delete on a page still deletes objects.
    void RegisterCommands(CCommandMap& map, CCommandManager* commands);
    // Where files dropped on the strip go besides the shelf: the main window opens them.
    void SetOpenFilesSink(std::function<void(const QStringList&)> sink) { m_openFiles = std::move(sink); }

    // Keeps a picture block of cursor size; the block's kind when it is not a picture (nothing
    // kept), else 0.
    LONG AddItem(const QByteArray& block);
    // A captured cursor of any size.
    void AddToCurrentCursorsList(const QByteArray& dib);
    void AddDIB(const QByteArray& dib);
    // False when the file cannot be loaded as an image.
    bool AddImageFile(const QString& path);

    void LoadCollection();
    // Nothing is written before the shelf was read: an unread shelf would replace the file empty.
    void StoreCollection();
    void FreeAllListItems();
    void FreeListItem(int index);
    // Asks first; on Yes the selected item goes and the file is written at once.
    void FreeSelectedListItem();
    void RedrawVisibleList();
    void ButtonUp();
    void ButtonDown();
    bool IsSelectedItem() const;
    // Starts editing the selected item's label in place.
    void OnCollectionbarRename();

    int GetItemCount() const { return int(m_items.size()); }
    const SHELFITEM& GetItem(int index) const { return m_items[std::size_t(index)]; }
    int GetPage() const { return m_nPage; }
    int GetItemsPerRow() const { return m_nItemsPerRow; }
    // The collection index of the selected strip item, -1 for none.
    int GetSelectedIndex() const;
    // Selects the strip item of a collection index on the shown page.
    void SelectItem(int index);
    // Where a collection index's item is on the screen; empty when it is not on the shown page.
    QRect GetItemScreenRect(int index) const;
    QListWidget* GetStrip() const;

    // The strip's side of drag-and-drop.
    bool CanDrop(const QMimeData* data) const;
    bool Drop(const QMimeData* data);
    void StartDrag(int index);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void EnsureLoaded();
    // When the bar goes or the program ends: a shelf whose file could not be read and that did
    // not change since leaves the file as it is.
    void StoreOnExit();
    void OnSize();
    // The strip and the buttons in the bar: the buttons only while the row cannot show all.
    void Layout();
    // The shelf changed: shown and written.
    void Changed();
    void OnLabelEdited(QListWidgetItem* item);
    void OnDropFiles(const QStringList& paths);

    QString m_strPath;
    std::vector<SHELFITEM> m_items;
    QWidget* m_pClient = nullptr;
    CShelfStrip* m_pStrip = nullptr;
    QToolButton* m_pUp = nullptr;
    QToolButton* m_pDown = nullptr;
    int m_nPage = 0;
    int m_nItemsPerRow = 1;
    bool m_bLoaded = false;
    bool m_bRedrawing = false;
    // A shelf file that could not be read is kept as it is until the shelf changes.
    bool m_bReadFailed = false;
    std::function<void(const QStringList&)> m_openFiles;
};

#pragma once
// The drawing bar's side panel: a docking bar beside the drawing bar whose contents follow the
// tool (CMainFrame::SetSelector). Kind 1, the options of shapes created with an annotation, holds
// the orientation selector and the near-callout option; both are stored at once and read by the
// callout and bracket code through app/CalloutOptions.h. Kind 2, for the tools that make an
// image file (drag page out and cut), holds the image format with its JPEG quality or TIFF
// compression (frame options 14, 6 and 4) and shows how large the file would be.

#include "app/ProfileRecords.h"

#include <QDockWidget>
#include <QPointer>
#include <functional>

class CLumidorView;
class QComboBox;
class QTimer;

class QCheckBox;
class QLabel;
class QToolBar;

// The orientation selector: five square cells as a cross (0 up, 1 left, 2 centre, 3 right,
// 4 down), drawn raised, the chosen one sunken with its picture moved by a pixel. A click on
// another cell, or an arrow key towards it, chooses it and reports it; a value set by the
// program is only shown.
class CSelector : public QWidget {
    Q_OBJECT
public:
    explicit CSelector(QWidget* parent = nullptr);

    int GetValue() const { return m_nValue; }
    void SetValue(int value);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }
    // Where cell 0 to 4 lies in the control, and the cell under a point (-1 for none).
    static QRect CellRect(int cell);
    static int CellAt(const QPoint& pt);
    // The cell an arrow key leads to from `cell` along the cross; `cell` itself when none.
    static int CellTowards(int cell, int key);

Q_SIGNALS:
    void valueChosen(int value);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    void Choose(int cell);
    static void DrawPicture(QPainter& p, const QRect& rc, int cell, const QColor& ink);

    int m_nValue = 2;
};

// "%.1f KB" of a size in bytes.
QString FormatFileSizeKB(qint64 bytes);
// The scratch file of the size estimate for format position 0 to 5, in the temporary folder.
QString SizeScratchPath(int nFormat);

class CDrawingBarPanel : public QDockWidget {
    Q_OBJECT
public:
    // What the format controls read and change: the frame's options, the active view and the
    // program mode.
    struct Host {
        std::function<FrameOptions()> options;
        std::function<void(const FrameOptions&)> setOptions;
        std::function<CLumidorView*()> activeView;
        std::function<int()> programMode;
    };

    explicit CDrawingBarPanel(QWidget* parent = nullptr);

    void SetHost(Host host);
    // Refreshes the size estimate soon when what it depends on changed since the last one (the
    // page, its objects, the cut rectangle, the format); called after every update of the
    // commands.
    void CheckFileSize();
    // Refreshes the size text now.
    void GetFileSize();
    QString GetSizeText() const;
    int GetFormat() const;
    bool IsQualityShown() const;
    bool IsCompressionShown() const;

    // The drawing bar the panel belongs to: hidden with it.
    void SetBar(QToolBar* bar);
    // 0 none; 1 the options of shapes created with an annotation; any other kind leaves those
    // options out. The panel shows while it has something to show and the drawing bar is shown.
    void SetSelector(int kind);
    int GetSelector() const { return m_nKind; }

private:
    void UpdateVisibility();
    void UpdateFormatBoxes();
    void OnSelchangeFormats(int index);
    void OnSelchangeQuality(int index);
    void OnSelchangeTiff(int index);
    void SetOption(int field, int value);
    // What the last estimate was made of.
    QString SizeKey() const;

    int m_nKind = 0;
    Host m_host;
    QWidget* m_pFormat;
    QComboBox* m_pFormats;
    QWidget* m_pQualityRow;
    QComboBox* m_pQuality;
    QWidget* m_pTiffRow;
    QComboBox* m_pTiff;
    QLabel* m_pSize;
    QTimer* m_pSizeTimer;
    QString m_strSizeKey;
    QPointer<QToolBar> m_pBar;
    QWidget* m_pAnnotation;
    CSelector* m_pSelector;
    QCheckBox* m_pNear;
};

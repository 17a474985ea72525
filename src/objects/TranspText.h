#pragma once
// CTranspText: the text field of a page. One or more lines of single-byte or double-byte text in
// one font and colour, anchored at a point, optionally turned by a quarter turn, optionally
// written at a fixed pitch (stepped text for the boxes of comb fields), optionally followed by a
// rule (annotation mode). The user types into it on the page: the object keeps its own caret and
// selection and handles keys, mouse selection, the text clipboard and drag-and-drop of text.
//
// The text is kept in the code page of its font's character set; positions (caret, selection,
// absolute indexes) count characters, a two-byte character once. The box of a text follows from
// its lines and font alone: lines break only where the text has a line break.

#include "objects/TextLayout.h"
#include "objects/TranspBaseClass.h"
#include "platform/WinTypes.h"

#include <QByteArray>
#include <QList>

class CDC;
class QMimeData;

// OnChar's flags: CHAR_VIRTUALKEY says nChar is a virtual key code (movement and Delete) rather
// than a typed character; MK_SHIFT and MK_CONTROL carry the modifier state of the key press.
// Typed characters are Unicode code points and are converted into the text's code page.
enum : UINT { CHAR_VIRTUALKEY = 0x0100 };

// Keys the text object handles: characters 8, 13, 27 and the virtual keys 35 to 46.
enum : UINT {
    VK_BACK = 8,
    VK_RETURN = 13,
    VK_ESCAPE = 27,
    VK_END = 35,
    VK_HOME = 36,
    VK_LEFT = 37,
    VK_UP = 38,
    VK_RIGHT = 39,
    VK_DOWN = 40,
    VK_DELETE = 46,
};

// The clipboard kind code of a text's data block, and the version of its layout.
enum : LONG { CLIPKIND_TEXT = 6, TEXT_BLOCK_VERSION = 2 };
// Offsets of the text's data block: the style at 28, the text from 124, then zero bytes; its total
// size is the text length + 129. The earlier layout (version 1, non-zero int32 at 108): LOGFONTA at
// 24, nSize 84, crText 88, bStepped 92, nPitch 96, nAlign 100, nRotation 104, text from 112.
enum : int {
    TEXT_BLOCK_STYLE = 28,
    TEXT_BLOCK_TEXT = 124,
    TEXT_BLOCK_OVERHEAD = 129,
    TEXT_BLOCK_OLD_STYLE = 24,
    TEXT_BLOCK_OLD_TEXT = 112,
};

// The undo snapshot of a text: its whole text, caret, anchor and style.
struct TEXTUNDOSTATE {
    QByteArray text;
    int nCaretChar = 0;
    int nCaretLine = 0;
    LONG x = 0;
    LONG y = 0;
    TEXTSTYLE style;
};

class CTranspText : public CTranspBaseClass {
public:
    // For the document's loader, which then reads the record.
    CTranspText(IObjectHost* pView, int nPage);
    // The view's text tool and the conversion of old text boxes: the anchor in text units, a copy
    // of the style (natural width; with bSizeToHeight the height follows nSize), the text or, when
    // null, the placeholder.
    CTranspText(IObjectHost* pView, int x, int y, const TEXTSTYLE* pStyle, const char* pszText,
                int nPage, BOOL bSizeToHeight);
    // From a clipboard data block, anchored at (x, y) in text units. A block that is too short,
    // not a text's or of an unknown layout leaves the text without lines (IsEmpty).
    CTranspText(IObjectHost* pView, const QByteArray& block, int x, int y, int nPage);
    ~CTranspText() override;

    // Reads a data block (either layout), unplaced; FALSE, and the text unchanged, when it is not
    // a text's block.
    BOOL SetObData(const QByteArray& block);

    using CTranspBaseClass::MoveBy;

    // The stored record: the 152-byte structure of version 2, then the text.
    void Serialize(CArchive& ar) override;
    // Texts reach PDF pages through the document's own output.
    void DrawOnPDFPage(CDC* pDC) override;
    // The box in text units with its left side at the anchor.
    void GetAlignRect(RECT* pRect) const override;
    // The text box and the move strip left of it, client pixels.
    void GetBoundsRect(RECT* pRect) const override;
    // The bounds with a margin, and room on the right for typing.
    void GetRepaintRect(RECT* pRect) const override;
    void Draw(CDC* pDC, BOOL bPrinting, const POINT* pDpi) override;
    void Undo() override;
    void Redo() override;
    BOOL IsEmpty() const override;
    BOOL OnLButtonDown(UINT nFlags, POINT point) override;
    BOOL OnMouseMove(UINT nFlags, POINT point) override;
    void OnLButtonUp(UINT nFlags, POINT point) override;
    void OnLButtonDblClk(UINT nFlags, POINT point) override;
    void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags) override;
    DWORD OnDragOver(const QMimeData* pData, DWORD dwKeyState, POINT point) override;
    BOOL OnDrop(const QMimeData* pData, DWORD dropEffect, POINT point) override;
    void SetFocused(BOOL bFocused) override;
    void MoveBy(int dx, int dy) override;
    QByteArray GetObData() const override;
    BOOL CanCopy() const override;
    // The whole object (its data block) and its text.
    std::unique_ptr<QMimeData> MakeMimeData() const override;
    // Puts the selected text on the clipboard as plain text.
    void CopyToClipboard() override;
    void SetAnnotationMode(int nMode) override;
    int GetAnnotationMode() const override;
    void SetUndoState(const void* pState) override;
    UndoState GetUndoState() const override;
    BOOL IsSameHistoryState(const void* pA, const void* pB) const override;

    // Takes the property of `pStyle` that the host's change code names (the whole style for any
    // other code); with bRecord repaints and records an undo step.
    virtual void SetTextStyle(const TEXTSTYLE* pStyle, BOOL bRecord);
    // Replaces all lines ("\r\n" separates them).
    virtual void SetText(const char* pszText, BOOL bRecord);
    virtual void SetText(const QByteArray& text, BOOL bRecord);
    // Inserts the clipboard's plain text at the caret, replacing the selection.
    virtual void PasteFromClipboard();
    // The real mouse-move handler (OnMouseMove calls it).
    virtual BOOL OnMouseMoveTextBox(UINT nFlags, POINT point);
    virtual BOOL OnMouseMoveGraphClass(UINT nFlags, POINT point);
    // The text box in client pixels, or in view pixels when bViewCoords.
    virtual void GetTextRect(RECT* pRect, BOOL bViewCoords = FALSE) const;
    // The move strip left of the box, client pixels.
    virtual void GetMarkerRect(RECT* pRect) const;
    // The caret position (character, line) a client point stands for.
    virtual POINT GetCharPosFromPoint(POINT point) const;
    // Redraws the object now.
    virtual void RefreshView();

    // Lines joined by "\r\n"; "" for the placeholder.
    QByteArray GetText() const;
    // The selected parts of lines joined by "\r\n".
    QByteArray GetSelectedText() const;
    // The same with a terminating zero, as plain text travels between programs.
    QByteArray GetSelectedTextGlobal() const;
    // Inserts text (in the text's code page) at the caret, after deleting the selection when
    // asked; the caret goes after it.
    void Paste(const QByteArray& text, BOOL bReplaceSelection);
    // Replaces the selection by one character (or inserts it at the caret).
    void ReplaceSelection(char ch);
    // Starts an empty selection at the caret.
    void StartSelection();
    void UnselectText();
    // Selects the absolute character range start .. end (line breaks counting 2) of the text.
    void FindAndSelect(const char* pszText, int nStart, int nEnd);
    void CutToClipboard();
    BOOL PtInSelection(POINT point) const;
    // Absolute index of a caret position: the lengths of the lines before it, plus 2 per line
    // break when bCountBreaks.
    int GetCharIndexFromCaretPos(int nChar, int nLine, BOOL bCountBreaks) const;
    // The caret position of an absolute index (the inverse).
    POINT GetCaretPosFromCharIndex(int nIndex, BOOL bCountBreaks) const;
    // Records an undo step, or lets the newest one take the current state while one word is
    // typed, so that a word typed in one go is one undo step.
    void ReplaceUndo();
    // The corner of the box a callout line attaches to, in text units: bottom-left (rotation
    // 0), bottom-right (rotation 1), top-left (rotation 2).
    POINT GetConnectPoint() const;
    // The code page the text is kept in: that of the font's character set.
    UINT GetCodePage() const;
    // The caret's line, clamped to the lines, and character, clamped to the line.
    POINT GetCaretPos() const;

    // The document's save-fields flag, handed over just before storing; cleared after it.
    BOOL m_bSaveFields = FALSE;
    LONG m_x = 0; // anchor, text units: the left end of the bottom of the first line
    LONG m_y = 0;
    int m_nCaretChar = 0;
    int m_nCaretLine = 0;
    int m_nSelStartChar = 0;
    int m_nSelStartLine = 0;
    int m_nSelEndChar = 0;
    int m_nSelEndLine = 0;
    QList<QByteArray> m_lines;
    TEXTSTYLE m_style;
    BOOL m_bInsert = TRUE;
    BOOL m_bDraggingText = FALSE;
    // A form field's characters are not stored with the document; its placeholder is not drawn.
    BOOL m_bFormField = FALSE;
    BOOL m_bRefreshing = FALSE;
    // The most characters typing may put into the text (line breaks not counted); 0: no limit.
    // Set for the fields of a PDF form, not part of the text's record.
    int m_nMaxLength = 0;

private:
    struct Measured;
    // The lines measured in the screen font of the current zoom; kept until text, style or zoom
    // change.
    const TEXTMEASURE& ScreenMeasure() const;
    TEXTFRAME ScreenFrame(bool bViewCoords) const;
    int ScreenPitch() const;
    bool IsPlaceholder() const;
    bool HasSelection() const;
    // The selection in order: (start char, start line, end char, end line).
    void GetOrderedSelection(int& sChar, int& sLine, int& eChar, int& eLine) const;
    void ClampCaret();
    void ClearSelectionAtCaret();
    // Deletes the selected text and puts the caret at its start; false when nothing was selected.
    bool DeleteSelection();
    // Inserts one character (its bytes in the code page) at the caret.
    void InsertAtCaret(const QByteArray& ch);
    void MoveCaret(UINT nKey, bool bCtrl);
    // Along-the-line distance of a client point from line `nLine`'s aligned start, and the line.
    bool LineAndDistance(POINT point, int& nLine, int& nDistance) const;
    // Character position along a line for a distance: rounded to the nearer side of the character
    // cell, or the cell itself when bCell.
    int CharFromDistance(int nLine, int nDistance, bool bCell) const;
    void DrawText(CDC* pDC, BOOL bPrinting, const POINT* pDpi);
    void PlaceCaret(CDC* pDC, const TEXTFRAME& frame, const TEXTMEASURE& measure);
    bool ToCodePage(const QString& text, QByteArray& bytes) const;
    QString ToUnicode(const QByteArray& bytes) const;

    // The button went down in the move strip: the mouse moves the object.
    BOOL m_bMoving = FALSE;
    // A drag of this object's own selected text was dropped into this object.
    BOOL m_bDroppedOnSelf = FALSE;
    // The newest undo snapshot was made by typing and may take the next typed character; caret
    // moves, undo and redo end it, so that no state the user saw is replaced.
    bool m_bTypingGroup = false;
    mutable std::unique_ptr<Measured> m_measured;
};

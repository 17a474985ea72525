#pragma once
// CScaleBox: the main bar's scale box. Its list holds the view's whole scales as percentages and
// the two fit entries; besides an entry it can show a percentage that no entry stands for (the
// result of a fit or a zoom step). Only a choice of the user is reported, so that the frame can
// set the box from a view without the view hearing of it again.

#include <QComboBox>

class CScaleBox : public QComboBox {
    Q_OBJECT
public:
    explicit CScaleBox(QWidget* parent = nullptr);

    // Fills the list with `count` percentages ("%d%%") and the fit-to-width and fit-to-window
    // entries after them, and selects `selectedIndex`.
    void SetViewScaleList(const int* values, int count, int selectedIndex);
    void SetViewScaleSelIndex(int index);
    // Shows "%d%%" of `percent` with no entry selected.
    void SetViewScaleSelValue(int percent);
    // The selected index; 1 while a value is shown instead of an entry.
    int GetViewScaleSelIndex() const;

Q_SIGNALS:
    // The user chose the entry at `index`.
    void scaleChosen(int index);
};

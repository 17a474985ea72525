#pragma once
// The main window. For now a multi-document frame with a File menu; bars, modes and commands join
// it later.

#include <QMainWindow>

class QMdiArea;

class CMainFrame : public QMainWindow {
    Q_OBJECT
public:
    CMainFrame();
    QMdiArea* GetMdiArea() const { return m_mdiArea; }

private:
    QMdiArea* m_mdiArea;
};

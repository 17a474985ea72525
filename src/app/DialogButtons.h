#pragma once
// The OK and Cancel buttons of the program's own dialogs, accepting and rejecting the dialog.

class QBoxLayout;
class QDialog;
class QDialogButtonBox;

QDialogButtonBox* AddOkCancel(QDialog& dlg, QBoxLayout* layout);

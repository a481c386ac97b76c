#pragma once

#include <QString>

class QGridLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace tavrel::gui {

class TQorButtonDlg;

// An edit with its caption above it, as the settings dialogs show their fields, placed in the
// grid at (row, column) for the caption and (row + 1, column) for the edit. The edit carries the
// object name; the caption is its buddy, and the edit's accessible name is the caption.
QLineEdit* AddLabeledEdit(QGridLayout* grid, int row, int column, const QString& caption,
                          const char* objectName);

// Gives the dialog the client size its controls ask for, at least minimumWidth wide; the
// button panel lies below them.
void FitClientToControls(TQorButtonDlg& dialog, int minimumWidth = 0);

}  // namespace tavrel::gui

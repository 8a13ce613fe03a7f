#pragma once

#include <QString>
#include <utility>

class QDialog;
class QGridLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

// Small pieces the three account dialogs share: how a row, a masked box and the button row look.
namespace accountdialogs {

// A text box named objectName; masked boxes show "*" for every character typed.
[[nodiscard]] QLineEdit* makeTextBox(QWidget* parent, const char* objectName, bool masked);
// A label named objectName (may be empty) for the given buddy, added to the grid at row.
QLabel* addRow(QGridLayout* grid, int row, const QString& caption, QWidget* field,
               const char* objectName = "");
// OK (default button) and Cancel, right-aligned below the grid; returns {OK, Cancel}.
std::pair<QPushButton*, QPushButton*> addButtons(QDialog* dialog, QGridLayout* grid, int row,
                                                 const QString& okCaption, const QString& cancelCaption);

}  // namespace accountdialogs

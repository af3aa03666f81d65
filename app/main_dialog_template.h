// The controls of the main dialog (template 102), created at their template positions
// with their texts, ids (as object names) and tab order.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

#include "app/path_box.h"

namespace vomar::app {

// A drop-down list that asks before it opens: `beforePopup` returning false keeps it
// closed (its owner opens it later, after listing its entries again).
class DropDownListBox : public QComboBox {
 public:
  using QComboBox::QComboBox;
  std::function<bool()> beforePopup;
  void showPopup() override {
    if (!beforePopup || beforePopup()) QComboBox::showPopup();
  }
};

struct MainDialogControls {
  QPushButton* downloadButton;          // 1009
  QPushButton* exitButton;              // 2
  QRadioButton* iccRadio;               // 1000
  QRadioButton* inkRadio;               // 1001
  DropDownListBox* printerList;         // 1002
  QComboBox* profileNumberList;         // 1004
  QPushButton* simulationBrowseButton;  // 1007
  PathBox* simulationPathBox;           // 1003
  QPushButton* outputBrowseButton;      // 1008
  PathBox* outputPathBox;               // 1006
  QPushButton* versionButton;           // 1010
  QPushButton* informationButton;       // 1014
  QPushButton* hiddenOkButton;          // 1013
  QLabel* progressLine;                 // below the template: the step under way
};

// The template's size, plus one line for the progress of a running command.
QSize MainDialogSize();

// Creates the controls as children of `panel` (and the progress line in `dialog`).
MainDialogControls CreateMainDialogControls(QWidget* dialog, QWidget* panel);

}  // namespace vomar::app

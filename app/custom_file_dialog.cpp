#include "app/custom_file_dialog.h"

#include <QDir>
#include <QGridLayout>
#include <QLineEdit>

#include "app/dialog_units.h"

namespace vomar::app {

CCustomFileDialog::CCustomFileDialog(QWidget* parent)
    : QFileDialog(parent), fullPath_(new QLineEdit(this)) {
  setObjectName(QStringLiteral("CCustomFileDialog"));
  setOption(QFileDialog::DontUseNativeDialog, true);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::ExistingFile);
  setDefaultSuffix(QStringLiteral("icm"));
  setNameFilters({tr("ColorProfile (*.icm *.icc)"), tr("All Files (*)")});

  fullPath_->setObjectName(QStringLiteral("1003"));
  fullPath_->setReadOnly(true);
  fullPath_->setMinimumWidth(DluToPixels(209));
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    grid->addWidget(fullPath_, grid->rowCount(), 0, 1, grid->columnCount());
  }
  // The selection changes by a click in the list (which fills the name line) or by
  // typing a name.
  if (auto* nameLine = findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))) {
    connect(nameLine, &QLineEdit::textChanged, this, &CCustomFileDialog::OnFileNameChange);
  }
}

void CCustomFileDialog::OnFileNameChange(const QString& name) {
  const QString path = name.isEmpty() ? QString() : directory().absoluteFilePath(name);
  fullPath_->setText(QDir::toNativeSeparators(QDir::cleanPath(path)));
}

}  // namespace vomar::app

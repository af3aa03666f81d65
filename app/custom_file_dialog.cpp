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
  setNameFilters({QStringLiteral("ColorProfile (*.icm *.icc)"),
                  QStringLiteral("All Files (*)")});

  fullPath_->setObjectName(QStringLiteral("1003"));
  fullPath_->setReadOnly(true);
  fullPath_->setMinimumWidth(DluToPixels(209));
  if (auto* grid = qobject_cast<QGridLayout*>(layout())) {
    grid->addWidget(fullPath_, grid->rowCount(), 0, 1, grid->columnCount());
  }
  connect(this, &QFileDialog::currentChanged, this, &CCustomFileDialog::OnFileNameChange);
}

void CCustomFileDialog::OnFileNameChange(const QString& path) {
  fullPath_->setText(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()));
}

}  // namespace vomar::app

#include "app/custom_file_dialog.h"

#include <QDir>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLineEdit>
#include <QScreen>
#include <QTreeView>

#include "app/dialog_units.h"

namespace vomar::app {

CCustomFileDialog::CCustomFileDialog(QWidget* parent)
    : QFileDialog(parent), fullPath_(new QLineEdit(this)) {
  setObjectName(QStringLiteral("CCustomFileDialog"));
  setOption(QFileDialog::DontUseNativeDialog, true);
  setAcceptMode(QFileDialog::AcceptOpen);
  setFileMode(QFileDialog::ExistingFile);
  setDefaultSuffix(QStringLiteral("icm"));
  setNameFilters({tr("ｶﾗｰﾌﾟﾛﾌｧｲﾙ (*.icm *.icc)"), tr("すべてのﾌｧｲﾙ (*)")});
  // A size at which long profile names and the columns beside them are read whole: the
  // list in detail, its name column taking the width the others leave.
  setViewMode(QFileDialog::Detail);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QSize room = screen->availableGeometry().size();
    resize(qMin(room.width() * 9 / 10, DluToPixels(560)),
           qMin(room.height() * 9 / 10, DluToPixels(320)));
  }
  if (auto* list = findChild<QTreeView*>(QStringLiteral("treeView"))) {
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::ResizeToContents);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
  }

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

#include "app/about_dialog.h"

#include <QLabel>
#include <QPushButton>

#include "app/dialog_units.h"
#include "app/program_icon.h"

namespace vomar::app {

namespace {

QLabel* CentredLine(QWidget* parent, const QString& text, QRect geometry) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label->setGeometry(geometry);
  return label;
}

}  // namespace

CAboutDialog::CAboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("100"));
  setWindowTitle(tr("ﾊﾞｰｼﾞｮﾝ情報"));
  setFont(TemplateFont());
  setFixedSize(DluToPixels(186), DluToPixels(77));

  auto* icon = new QLabel(this);
  icon->setPixmap(ProgramIconPixmap(32));
  icon->setGeometry(QRect(DluRect(13, 12, 0, 0).topLeft(), QSize(32, 32)));
  // The lines are as wide as the box so that no glyph is cut; each stays centred on its
  // template position.
  CentredLine(this, tr("ｶﾗｰﾌﾟﾛﾌｧｲﾙﾀﾞｳﾝﾛｰﾄﾞﾂｰﾙ"), DluRect(42, 12, 102, 10));
  CentredLine(this, QStringLiteral("Version " VOMAR_VERSION), DluRect(53, 25, 82, 10));
  CentredLine(this, QStringLiteral("Copyright (C) Vomar"), DluRect(31, 39, 125, 10));

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setDefault(true);
  ok->setGeometry(DluRect(69, 56, 50, 14));
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  // The version button opens a new box at every click: each is deleted when it closes
  // rather than kept hidden until the main dialog ends.
  setAttribute(Qt::WA_DeleteOnClose);
}

}  // namespace vomar::app

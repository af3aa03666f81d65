#include "app/main_dialog_template.h"

#include <QCoreApplication>
#include <QGroupBox>

#include "app/dialog_units.h"

namespace vomar::app {

namespace {

// The context in which the template's texts are translated.
class MainDialog {
  Q_DECLARE_TR_FUNCTIONS(MainDialog)
};

constexpr int kTemplateWidth = 319;
constexpr int kTemplateHeight = 208;
constexpr int kProgressLineHeight = 12;

template <typename Control>
Control* Place(Control* control, const char* id, QRect geometry) {
  if (id != nullptr) control->setObjectName(QString::fromLatin1(id));
  control->setGeometry(geometry);
  return control;
}

// Texts of the fallback font run wider than in the template's font: a static or a
// radio button grows to its text rather than cutting it.
template <typename Control>
Control* PlaceText(Control* control, const char* id, QRect geometry) {
  geometry.setWidth(qMax(geometry.width(), control->sizeHint().width()));
  return Place(control, id, geometry);
}

QPushButton* Button(QWidget* panel, const char* id, const QString& text, QRect geometry) {
  auto* button = Place(new QPushButton(text, panel), id, geometry);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

// A drop-down list: the template's height is that of the open list, so the closed box
// takes the style's height and the open list shows as many rows as fit.
DropDownListBox* DropDownList(QWidget* panel, const char* id, QRect geometry) {
  auto* list = new DropDownListBox(panel);
  list->setObjectName(QString::fromLatin1(id));
  list->setMaxVisibleItems(qMax(1, geometry.height() / list->fontMetrics().height() - 1));
  list->setGeometry(geometry.x(), geometry.y(), geometry.width(), list->sizeHint().height());
  return list;
}

void Static(QWidget* panel, const QString& text, QRect geometry) {
  PlaceText(new QLabel(text, panel), nullptr, geometry);
}

void Group(QWidget* panel, const QString& text, QRect geometry) {
  Place(new QGroupBox(text, panel), nullptr, geometry)->lower();
}

QRadioButton* Radio(QWidget* panel, const char* id, const QString& text, QRect geometry) {
  auto* radio = PlaceText(new QRadioButton(text, panel), id, geometry);
  radio->setAutoExclusive(false);
  radio->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
  return radio;
}

}  // namespace

QSize MainDialogSize() {
  return QSize(DluToPixels(kTemplateWidth), DluToPixels(kTemplateHeight + kProgressLineHeight));
}

MainDialogControls CreateMainDialogControls(QWidget* dialog, QWidget* panel) {
  MainDialogControls c{};
  c.downloadButton = Button(panel, "1009", MainDialog::tr("ﾀﾞｳﾝﾛｰﾄﾞ実行"), DluRect(206, 189, 57, 14));
  c.exitButton = Button(panel, "2", MainDialog::tr("終了"), DluRect(267, 189, 47, 14));
  Group(panel, MainDialog::tr("ﾀﾞｳﾝﾛｰﾄﾞするﾌﾟﾛﾌｧｲﾙの選択"), DluRect(6, 8, 109, 46));
  c.iccRadio = Radio(panel, "1000", MainDialog::tr("ICCﾌﾟﾛﾌｧｲﾙ"), DluRect(13, 19, 73, 13));
  c.inkRadio = Radio(panel, "1001", MainDialog::tr("ｲﾝｸｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ"), DluRect(13, 34, 81, 14));
  // One group: a click turns its radio on and the other off. Qt's own exclusive groups
  // would make the checked radio a tab stop, which these are not.
  for (auto [on, off] : {std::pair{c.iccRadio, c.inkRadio}, std::pair{c.inkRadio, c.iccRadio}}) {
    QObject::connect(on, &QRadioButton::clicked, on, [on, off] {
      on->setChecked(true);
      off->setChecked(false);
    });
  }
  Static(panel, MainDialog::tr("ﾌﾟﾘﾝﾀｰの選択："), DluRect(121, 6, 49, 11));
  c.printerList = DropDownList(panel, "1002", DluRect(134, 20, 180, 186));
  c.printerList->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  Static(panel, MainDialog::tr("ﾌﾟﾛﾌｧｲﾙNo.："), DluRect(121, 36, 38, 10));
  c.profileNumberList = DropDownList(panel, "1004", DluRect(135, 48, 23, 61));
  Group(panel, MainDialog::tr("ｼﾐｭﾚｰｼｮﾝﾌﾟﾛﾌｧｲﾙ"), DluRect(6, 65, 308, 57));
  c.simulationBrowseButton = Button(panel, "1007", MainDialog::tr("参照..."),
                                    DluRect(266, 75, 38, 15));
  c.simulationPathBox = Place(new PathBox(panel), "1003", DluRect(16, 94, 288, 23));
  Group(panel, MainDialog::tr("出力ﾌﾟﾛﾌｧｲﾙ"), DluRect(6, 126, 308, 56));
  c.outputBrowseButton = Button(panel, "1008", MainDialog::tr("参照..."), DluRect(264, 133, 38, 15));
  c.outputPathBox = Place(new PathBox(panel), "1006", DluRect(16, 154, 288, 22));
  c.versionButton = Button(panel, "1010", MainDialog::tr("ﾊﾞｰｼﾞｮﾝ情報"), DluRect(6, 189, 47, 14));
  c.informationButton = Button(panel, "1014", MainDialog::tr("ﾀﾞｳﾝﾛｰﾄﾞ情報印刷"),
                               DluRect(56, 189, 98, 14));
  c.hiddenOkButton = Button(panel, "1013", QStringLiteral("OK"), DluRect(172, 191, 11, 10));
  c.hiddenOkButton->hide();
  c.hiddenOkButton->setEnabled(false);
  // The dialog's default button, so that Return outside a push button presses none
  // (Qt would make the first push button the default).
  c.hiddenOkButton->setDefault(true);
  c.progressLine = Place(new QLabel(dialog), "progress", DluRect(6, 207, 308, 10));

  // Tab order: the template's order of the tab stops.
  QWidget* tabStops[] = {c.downloadButton,    c.exitButton,        c.printerList,
                         c.profileNumberList, c.simulationBrowseButton,
                         c.simulationPathBox, c.outputBrowseButton, c.outputPathBox,
                         c.versionButton,     c.informationButton};
  for (std::size_t k = 1; k < std::size(tabStops); ++k) {
    QWidget::setTabOrder(tabStops[k - 1], tabStops[k]);
  }
  return c;
}

}  // namespace vomar::app

// Dialog units of the dialog templates, turned into pixels. With the templates' 9-point
// Japanese font one unit is about 1.5 pixels both ways.
#pragma once

#include <QFont>
#include <QRect>

namespace vomar::app {

inline int DluToPixels(int units) { return (units * 3 + 1) / 2; }

// A template rectangle (x, y, width, height in dialog units) in pixels.
inline QRect DluRect(int x, int y, int width, int height) {
  return QRect(DluToPixels(x), DluToPixels(y), DluToPixels(width), DluToPixels(height));
}

// The templates' font "ＭＳ Ｐゴシック" at 9 points, falling back to a Japanese sans-serif
// font installed here.
inline QFont TemplateFont() {
  QFont font;
  font.setFamilies({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic"),
                    QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("sans-serif")});
  font.setPointSize(9);
  return font;
}

}  // namespace vomar::app

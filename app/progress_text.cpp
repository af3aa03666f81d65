#include "app/progress_text.h"

namespace vomar::app {

QString ProgressText(const Progress& progress) {
  switch (progress.step) {
    case Progress::Step::kChecking: return QStringLiteral("ﾌﾟﾛﾌｧｲﾙを確認しています...");
    case Progress::Step::kWaiting:
      return QStringLiteral("%1 への別のﾀﾞｳﾝﾛｰﾄﾞの終了を待っています...")
          .arg(QString::fromStdString(progress.printer));
    case Progress::Step::kBuilding: return QStringLiteral("ﾌｧｲﾙを作成しています...");
    case Progress::Step::kSending:
      return QStringLiteral("ﾌﾟﾘﾝﾀｰへ送信しています (%1/%2)...")
          .arg(progress.job)
          .arg(progress.jobs);
    case Progress::Step::kDone: break;
  }
  return QString();
}

}  // namespace vomar::app

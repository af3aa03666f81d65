#include "app/progress_text.h"

#include <QCoreApplication>

namespace vomar::app {

namespace {

// The context in which the progress texts are translated.
class ProgressLine {
  Q_DECLARE_TR_FUNCTIONS(ProgressLine)
};

}  // namespace

QString ProgressText(const Progress& progress) {
  switch (progress.step) {
    case Progress::Step::kChecking: return ProgressLine::tr("ﾌﾟﾛﾌｧｲﾙを確認しています...");
    case Progress::Step::kWaiting:
      return ProgressLine::tr("%1 への別のﾀﾞｳﾝﾛｰﾄﾞの終了を待っています...")
          .arg(QString::fromStdString(progress.printer));
    case Progress::Step::kBuilding: return ProgressLine::tr("ﾌｧｲﾙを作成しています...");
    case Progress::Step::kSending:
      return ProgressLine::tr("ﾌﾟﾘﾝﾀｰへ送信しています (%1/%2)...")
          .arg(progress.job)
          .arg(progress.jobs);
    case Progress::Step::kDone: break;
  }
  return QString();
}

QString AwaitingServerText(int seconds) {
  return ProgressLine::tr("ﾌﾟﾘﾝﾄｻｰﾊﾞｰの応答を待っています (あと最大 %1 秒)...").arg(seconds);
}

QString ClosingAfterWorkText() {
  return ProgressLine::tr("(処理が終わると終了します)");
}

}  // namespace vomar::app

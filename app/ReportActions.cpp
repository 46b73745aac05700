#include "app/ReportActions.h"

#include <QClipboard>
#include <QFile>
#include <QGuiApplication>
#include <QMimeData>

#include "app/ClipboardFormats.h"
#include "app/MainWindow.h"
#include "app/Notice.h"
#include "app/QtText.h"
#include "app/Report.h"
#include "app/RunDirectory.h"

namespace tovrenic {

void PreviewDailyMessage(MainWindow& window) {
  window.setPanelText(Panel::DailyMessage, DailyMessageBlock(window.dailyMessageInputText()));
}

Text BuildReportText(const MainWindow& window) {
  return JoinReport(window.panelText(Panel::Weather), window.panelText(Panel::News),
                    window.panelText(Panel::DailyMessage));
}

void WriteReportFile(const MainWindow& window) {
  const std::string path = ReportFilePath(RunDirectory());
  const Text report = BuildReportText(window);
  const WriteOutcome outcome = WriteFileReplacing(path, report.str());
  if (outcome.written) {
    ShowNotice(QStringLiteral("生成成功"));
  } else {
    ShowNotice(QStringLiteral("生成失败：") + QFile::decodeName(QByteArray::fromStdString(path)) +
               QLatin1Char('\n') + QString::fromLocal8Bit(outcome.reason.c_str()));
  }
}

void CopyReport(const MainWindow& window) {
  const Text report = BuildReportText(window);
  auto* data = new QMimeData;
  data->setText(ToQString(report));
  AddGbkTextFormats(*data, report);
  QGuiApplication::clipboard()->setMimeData(data);
}

void ShowPlaceholderNotice() {
  ShowNotice(QStringLiteral("待添加"));
}

}  // namespace tovrenic

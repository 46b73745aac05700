#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

#include <sys/stat.h>

#include <memory>

#include "app/Look.h"
#include "app/MainWindow.h"
#include "app/Notice.h"
#include "app/QtText.h"
#include "app/Report.h"
#include "app/ReportActions.h"
#include "app/RunDirectory.h"
#include "tests/TypeText.h"

using namespace tovrenic;

namespace {

QByteArray Gbk(const QString& text) { return QByteArray::fromStdString(ToText(text).str()); }

const QString kStartReport = QStringLiteral("石家庄早报新闻内容要先生成哦！");

// What a click showed: the text of each notice, which the watcher checks and dismisses.
struct NoticeWatcher {
  QStringList texts;
  QStringList problems;

  void clickAndWatch(QPushButton* button) {
    QTimer timer;
    timer.setInterval(10);
    QObject::connect(&timer, &QTimer::timeout, [this] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box || !box->isVisible()) return;
      if (box->windowTitle() != QStringLiteral("信息：")) problems << "caption";
      if (box->icon() != QMessageBox::NoIcon) problems << "icon";
      if (box->buttons().size() != 1 || box->standardButtons() != QMessageBox::Ok) {
        problems << "buttons";
      }
      if (box->parentWidget() != nullptr) problems << "owner";
      if (box->windowModality() != Qt::ApplicationModal) problems << "modality";
      texts << box->text();
      box->button(QMessageBox::Ok)->click();
    });
    timer.start();
    button->click();
  }
};

}  // namespace

class ReportActionsTest : public QObject {
  Q_OBJECT

 private:
  std::unique_ptr<MainWindow> window_;
  std::unique_ptr<QTemporaryDir> runDir_;

  QPushButton* button(const char* name) {
    return window_->findChild<QPushButton*>(QString::fromUtf8(name));
  }
  QString reportPath() const { return runDir_->filePath(QStringLiteral("wx.txt")); }
  QByteArray fileBytes() const {
    QFile file(reportPath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<no file>");
  }
  QStringList click(const char* name) {
    NoticeWatcher watcher;
    watcher.clickAndWatch(button(name));
    if (!watcher.problems.isEmpty()) qWarning() << watcher.problems;
    return watcher.problems.isEmpty() ? watcher.texts : QStringList{QStringLiteral("bad box")};
  }
  void typeMessage(const QString& message) {
    auto* input = window_->findChild<QPlainTextEdit*>(QStringLiteral("寄语1"));
    input->clear();
    input->setFocus();
    const QStringList lines = message.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
      if (i > 0) QTest::keyClick(input, Qt::Key_Return);
      TypeText(input, lines[i]);
    }
  }

 private slots:
  void initTestCase() { ApplyApplicationLook(); }
  void init() {
    runDir_ = std::make_unique<QTemporaryDir>();
    FixRunDirectory(runDir_->path().toStdString());
    window_ = std::make_unique<MainWindow>();
    window_->show();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
  }
  void cleanup() {
    window_.reset();
    QFile::setPermissions(reportPath(), QFile::ReadOwner | QFile::WriteOwner);
    runDir_.reset();
  }

  void startUpReportGoesToFileAndClipboardByteForByte() {
    QCOMPARE(click("按钮4"), QStringList{QStringLiteral("生成成功")});
    QCOMPARE(fileBytes(), Gbk(kStartReport));
    QCOMPARE(click("按钮5"), QStringList());  // copying shows nothing
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    QVERIFY(data);
    QCOMPARE(data->data(QLatin1String(kGbkTextMimeType)), fileBytes());
    QCOMPARE(data->text(), kStartReport);
  }

  void previewBuildsTheDailyMessageBlock() {
    const QByteArray header = QByteArray::fromStdString(kDailyMessageHeader.str());
    QCOMPARE(click("按钮7"), QStringList());
    QCOMPARE(QByteArray::fromStdString(window_->panelText(Panel::DailyMessage).str()), header);

    typeMessage(QStringLiteral("第一行\n 第二行 \n第三行"));
    click("按钮7");
    const QByteArray block = header + Gbk(QStringLiteral("第一行\r\n 第二行 \r\n第三行"));
    QCOMPARE(QByteArray::fromStdString(window_->panelText(Panel::DailyMessage).str()), block);

    click("按钮4");
    QCOMPARE(fileBytes(), Gbk(kStartReport) + block);  // the last line has no line end
    click("按钮5");
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QLatin1String(kGbkTextMimeType)),
             fileBytes());

    typeMessage(QStringLiteral("晚安"));
    click("按钮7");
    QCOMPARE(QByteArray::fromStdString(window_->panelText(Panel::DailyMessage).str()),
             header + Gbk(QStringLiteral("晚安")));
  }

  void theReportIsThePanelBytesInOrder() {
    window_->setPanelText(Panel::Weather, Text("w\xA1\xE6\r\n"));
    window_->setPanelText(Panel::News, Text("1.a\nb\r\n"));  // a lone LF survives unchanged
    window_->setPanelText(Panel::DailyMessage, Text("d"));
    QCOMPARE(BuildReportText(*window_), Text("w\xA1\xE6\r\n1.a\nb\r\nd"));
    click("按钮4");
    QCOMPARE(fileBytes(), QByteArray("w\xA1\xE6\r\n1.a\nb\r\nd"));
  }

  void aLongerOldFileIsCutToTheNewReport() {
    QFile old(reportPath());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write(QByteArray(4096, 'x'));
    old.close();
    QCOMPARE(click("按钮4"), QStringList{QStringLiteral("生成成功")});
    QCOMPARE(fileBytes(), Gbk(kStartReport));
  }

  void aReadOnlyOldFileStaysAndTheFailureIsShown() {
    QFile old(reportPath());
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.write("old report");
    old.close();
    QVERIFY(::chmod(QFile::encodeName(reportPath()).constData(), 0444) == 0);
    const QStringList notices = click("按钮4");
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].startsWith(QStringLiteral("生成失败")), qPrintable(notices[0]));
    QVERIFY(notices[0].contains(reportPath()));
    QCOMPARE(fileBytes(), QByteArray("old report"));
    QCOMPARE(QDir(runDir_->path()).entryList(QDir::Files | QDir::Hidden), QStringList{"wx.txt"});
  }

  void aFolderInTheWayIsReportedNotOverwritten() {
    QVERIFY(QDir(runDir_->path()).mkdir(QStringLiteral("wx.txt")));
    const QStringList notices = click("按钮4");
    QCOMPARE(notices.size(), 1);
    QVERIFY2(notices[0].startsWith(QStringLiteral("生成失败")), qPrintable(notices[0]));
    QVERIFY(QFileInfo(reportPath()).isDir());
  }

  void placeholderButtonShowsItsNotice() {
    QCOMPARE(click("按钮8"), QStringList{QStringLiteral("待添加")});
    QCOMPARE(window_->panelText(Panel::Weather), ToText(QStringLiteral("石家庄早报")));
  }

  void aLaterChangeDoesNotTouchWhatWasWrittenOrCopied() {
    click("按钮4");
    click("按钮5");
    window_->setPanelText(Panel::Weather, Text("changed"));
    QCOMPARE(fileBytes(), Gbk(kStartReport));
    QCOMPARE(QGuiApplication::clipboard()->mimeData()->data(QLatin1String(kGbkTextMimeType)),
             Gbk(kStartReport));
  }
};

QTEST_MAIN(ReportActionsTest)
#include "ReportActionsTest.moc"

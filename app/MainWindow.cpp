#include "app/MainWindow.h"

#include <QApplication>
#include <QFile>
#include <QGroupBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <limits>

#include "app/Look.h"
#include "app/PanelEdit.h"
#include "app/PictureBox.h"
#include "app/Queries.h"
#include "app/QtText.h"
#include "app/ReportActions.h"
#include "web/PendingMessages.h"

namespace tovrenic {
namespace {

void SetColours(QWidget* widget, const QColor& background, const QColor& foreground) {
  QPalette colours = widget->palette();
  colours.setColor(QPalette::Window, background);
  colours.setColor(QPalette::WindowText, foreground);
  widget->setPalette(colours);
  widget->setAutoFillBackground(true);
}

QGroupBox* MakeGroupBox(QWidget* parent, const QString& name, QRect place, const QString& title) {
  auto* box = new QGroupBox(title, parent);
  box->setObjectName(name);
  box->setGeometry(place);
  SetColours(box, ButtonFaceColour(), Qt::black);
  return box;
}

QLabel* MakeLabel(QWidget* parent, const QString& name, QRect place, const QString& text,
                  const QColor& colour) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(name);
  label->setGeometry(place);
  label->setTextFormat(Qt::PlainText);
  label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  label->setWordWrap(false);
  label->setFocusPolicy(Qt::NoFocus);
  SetColours(label, ButtonFaceColour(), colour);
  return label;
}

// A button with a font of its own; without one it takes the window's.
QPushButton* MakeButton(QWidget* parent, const QString& name, QRect place, const QString& text,
                        const QFont* font = nullptr) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(name);
  button->setGeometry(place);
  if (font) button->setFont(*font);
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  return button;
}

PanelEdit* MakePanel(QWidget* parent, const QString& name, QRect place, const QString& text) {
  auto* panel = new PanelEdit(parent);
  panel->setObjectName(name);
  panel->setGeometry(place);
  panel->setPanelText(ToText(text));
  return panel;
}

constexpr QSize kPictureBoxSize(352, 592);

QByteArray ChatPicture() {
  QFile file(QStringLiteral(":/tovrenic/chat.jpg"));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint) {
  // The slow parts of start-up, decoding the chat picture and the icon, run on worker threads
  // while the controls are built.
  PendingPicture chatPicture(ChatPicture(), kPictureBoxSize);
  setObjectName(QStringLiteral("MainWindow"));
  setWindowTitle(QStringLiteral("Tovrenic  ") + QLatin1String(kProjectAddress));
  // Naming the format spares the probing of every image plugin.
  icon_ = std::async(std::launch::async,
                     [] { return QImage(QStringLiteral(":/tovrenic/tovrenic.png"), "PNG"); });
  setFont(DefaultGuiFont());  // every control but the panels and the news buttons uses it
  SetColours(this, ButtonFaceColour(), Qt::black);
  buildControls(std::move(chatPicture));
  applyOuterSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.x() + (area.width() - kOuterWidth) / 2, area.y() + (area.height() - kOuterHeight) / 2);
  }
  qApp->installEventFilter(this);
}

MainWindow::~MainWindow() { qApp->removeEventFilter(this); }

void MainWindow::buildControls(PendingPicture chatPicture) {
  const QColor black(Qt::black);

  QGroupBox* weatherGroup =
      MakeGroupBox(this, QStringLiteral("分组框1"), {11, 8, 464, 96}, QStringLiteral("天气情况"));
  MakeLabel(weatherGroup, QStringLiteral("标签1"), {24, 32, 157, 32},
            QStringLiteral("输入城市乡镇："), black);
  town_ = new QLineEdit(QStringLiteral("石家庄"), weatherGroup);
  town_->setObjectName(QStringLiteral("城镇"));
  town_->setGeometry(129, 32, 172, 32);
  town_->setAlignment(Qt::AlignCenter);
  town_->setFocusPolicy(Qt::StrongFocus);
  town_->setMaxLength(std::numeric_limits<int>::max());  // no length limit
  QPushButton* weatherButton = MakeButton(weatherGroup, QStringLiteral("按钮6"), {385, 32, 64, 32},
                                          QStringLiteral("查天气"));

  const QFont newsFont = NewsButtonFont();
  QGroupBox* newsGroup =
      MakeGroupBox(this, QStringLiteral("分组框2"), {11, 112, 464, 160}, QStringLiteral("新闻热点"));
  MakeLabel(newsGroup, QStringLiteral("标签2"), {24, 48, 93, 32}, QStringLiteral("选择新闻类型："),
            black);
  QPushButton* domesticButton = MakeButton(newsGroup, QStringLiteral("按钮1"), {128, 48, 80, 40},
                                           QStringLiteral("全国新闻"), &newsFont);
  QPushButton* worldButton = MakeButton(newsGroup, QStringLiteral("按钮2"), {248, 48, 80, 40},
                                        QStringLiteral("国际新闻"), &newsFont);
  QPushButton* financeButton = MakeButton(newsGroup, QStringLiteral("按钮3"), {368, 48, 80, 40},
                                          QStringLiteral("财经信息"), &newsFont);
  QPushButton* placeholderButton = MakeButton(newsGroup, QStringLiteral("按钮8"),
                                              {128, 104, 80, 40}, QStringLiteral("待添加"),
                                              &newsFont);

  QGroupBox* messageGroup =
      MakeGroupBox(this, QStringLiteral("分组框3"), {11, 293, 464, 128}, QStringLiteral("每日寄语"));
  dailyMessageInput_ = new QPlainTextEdit(messageGroup);
  dailyMessageInput_->setObjectName(QStringLiteral("寄语1"));
  dailyMessageInput_->setGeometry(21, 26, 347, 62);
  dailyMessageInput_->setFrameStyle(QFrame::Box | QFrame::Plain);
  dailyMessageInput_->setLineWidth(1);
  dailyMessageInput_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  dailyMessageInput_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  dailyMessageInput_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  dailyMessageInput_->setTabChangesFocus(true);
  dailyMessageInput_->setFocusPolicy(Qt::StrongFocus);
  HideSelectionWhileUnfocused(dailyMessageInput_);
  QPushButton* previewButton = MakeButton(messageGroup, QStringLiteral("按钮7"), {386, 42, 63, 32},
                                          QStringLiteral("预览"));
  MakeLabel(messageGroup, QStringLiteral("标签3"), {157, 96, 296, 24},
            QStringLiteral("注：每日寄语内容默认为空，可以自定义自己的尾巴哦"), kNoteGreyGreen);

  QPushButton* writeButton = MakeButton(this, QStringLiteral("按钮4"), {40, 448, 80, 32},
                                        QStringLiteral("生成文本"));
  QPushButton* copyButton = MakeButton(this, QStringLiteral("按钮5"), {296, 448, 80, 32},
                                       QStringLiteral("一键复制"));
  MakeLabel(this, QStringLiteral("标签5"), {40, 488, 136, 24},
            QStringLiteral("注：文本生成在运行目录下"), kNoteGreyGreen);
  MakeLabel(this, QStringLiteral("标签4"), {297, 488, 136, 24}, QStringLiteral("注：粘贴到任何地方"),
            kNoteGreyGreen);

  QGroupBox* previewGroup =
      MakeGroupBox(this, QStringLiteral("分组框4"), {488, 2, 376, 568}, QStringLiteral("预览"));
  auto* picture =
      new PictureBox(std::move(chatPicture), {QPoint(8, 16), kPictureBoxSize}, previewGroup);
  picture->setObjectName(QStringLiteral("图片框1"));
  SetColours(picture, ButtonFaceColour(), black);
  weather_ = MakePanel(picture, QStringLiteral("天气"), {63, 60, 226, 84},
                       QStringLiteral("石家庄早报"));
  news_ = MakePanel(picture, QStringLiteral("新闻"), {63, 144, 226, 264},
                    QStringLiteral("新闻内容要先生成哦！"));
  dailyMessage_ = MakePanel(previewGroup, QStringLiteral("寄语"), {72, 424, 226, 84}, QString());

  connect(weatherButton, &QPushButton::clicked, this,
          [this] { RunQuery(*this, [this] { QueryWeather(*this); }); });
  const std::pair<QPushButton*, const char*> sections[] = {
      {domesticButton, kDomesticNews}, {worldButton, kWorldNews}, {financeButton, kFinanceNews}};
  for (const auto& [button, path] : sections) {
    connect(button, &QPushButton::clicked, this,
            [this, path = path] { RunQuery(*this, [this, path] { QueryNews(*this, Text(path)); }); });
  }
  connect(placeholderButton, &QPushButton::clicked, this, [] { ShowPlaceholderNotice(); });
  connect(previewButton, &QPushButton::clicked, this, [this] { PreviewDailyMessage(*this); });
  connect(writeButton, &QPushButton::clicked, this, [this] { WriteReportFile(*this); });
  connect(copyButton, &QPushButton::clicked, this, [this] { CopyReport(*this); });
}

Text MainWindow::townText() const { return ToText(town_->text()); }

Text MainWindow::dailyMessageInputText() const {
  return FromEditString(dailyMessageInput_->toPlainText());
}

PanelEdit* MainWindow::panel(Panel which) const {
  switch (which) {
    case Panel::Weather:
      return weather_;
    case Panel::News:
      return news_;
    case Panel::DailyMessage:
      break;
  }
  return dailyMessage_;
}

Text MainWindow::panelText(Panel which) const { return panel(which)->panelText(); }

void MainWindow::setPanelText(Panel which, const Text& text) { panel(which)->setPanelText(text); }

void MainWindow::queryStarted() { ++runningQueries_; }

void MainWindow::queryEnded() {
  if (--runningQueries_ == 0) ResetGiveUp();
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (runningQueries_ > 0) RequestGiveUp();
  QWidget::closeEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  // Esc closes the window from any of its controls, before the focused control sees the key.
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && widget->window() == this) {
      close();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

// The window's outer size is fixed at 867 x 605 wherever the window system tells the size of
// its frame; the client area is what remains, but never less than the controls need.
void MainWindow::applyOuterSize() {
  const QSize frame = frameGeometry().size() - geometry().size();
  const QSize client(std::max(kOuterWidth - frame.width(), kMinClientWidth),
                     std::max(kOuterHeight - frame.height(), kMinClientHeight));
  if (client != size() || minimumSize() != maximumSize()) setFixedSize(client);
}

void MainWindow::showEvent(QShowEvent* event) {
  if (icon_.valid()) setWindowIcon(QPixmap::fromImage(icon_.get()));
  applyOuterSize();
  QWidget::showEvent(event);
}

// A window manager reports its frame only after the window is mapped, with a move.
void MainWindow::moveEvent(QMoveEvent* event) {
  applyOuterSize();
  QWidget::moveEvent(event);
}

}  // namespace tovrenic

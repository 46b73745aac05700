#pragma once

#include <QImage>
#include <QWidget>

#include <future>

#include "scrapers/Briefing.h"
#include "text/Text.h"

class QLineEdit;
class QPlainTextEdit;

namespace tovrenic {

class PanelEdit;
class PendingPicture;

// The address shown in the title bar after the program's name.
inline constexpr char kProjectAddress[] = "https://tovrenic.example.org";

// The program's one window: inputs and buttons on the left, the chat-screen preview with the
// three panels on the right. Its edit boxes hold all of the program's state.
class MainWindow : public QWidget, public BriefingForm {
  Q_OBJECT

 public:
  static constexpr int kOuterWidth = 867;
  static constexpr int kOuterHeight = 605;
  // The client area never gets smaller than the controls need.
  static constexpr int kMinClientWidth = 864;
  static constexpr int kMinClientHeight = 570;

  explicit MainWindow(QWidget* parent = nullptr);
  ~MainWindow() override;

  Text townText() const override;
  Text dailyMessageInputText() const;
  Text panelText(Panel panel) const;
  void setPanelText(Panel panel, const Text& text) override;

  // Bracket a briefing query, so that closing the window meanwhile makes it give up.
  void queryStarted();
  void queryEnded();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildControls(PendingPicture chatPicture);
  void applyOuterSize();
  PanelEdit* panel(Panel which) const;

  QLineEdit* town_ = nullptr;
  QPlainTextEdit* dailyMessageInput_ = nullptr;
  PanelEdit* weather_ = nullptr;
  PanelEdit* news_ = nullptr;
  PanelEdit* dailyMessage_ = nullptr;
  std::future<QImage> icon_;
  int runningQueries_ = 0;
};

}  // namespace tovrenic

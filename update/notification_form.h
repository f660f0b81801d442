// The notification window: a small always-on-top window near the bottom
// right corner of the screen listing the first item of each feed an update
// tick fetched; it closes itself after the set seconds, and a double-click
// on a row opens that feed in the main window.
#pragma once

#include <QWidget>
#include <string>
#include <vector>

#include "platform/guard.h"
#include "update/scheduler.h"

class QTimer;
class QTreeWidget;

namespace rivolet {

// What the notification window asks of the rest of the program.
class NotificationHost {
 public:
  virtual ~NotificationHost() = default;
  // The Options dialog's "Close notification window after..." seconds text.
  virtual std::string NotificationSecondsText() = 0;
  // Opens the feed of `url` in the main window as the feed menu does, and
  // shows its item 0 without marking it read.
  virtual void OpenNotifiedFeed(const std::string& url) = 0;
  // Brings the program back when it is minimised.
  virtual void RestoreProgram() = 0;
};

class TAktualizacjaForm : public QWidget {
  Q_OBJECT

 public:
  explicit TAktualizacjaForm(NotificationHost& host);
  ~TAktualizacjaForm() override;

  // The whole window, its frame included.
  static constexpr int kWidth = 337;
  static constexpr int kHeight = 189;

  // Components, named as the language files know them.
  QTreeWidget* akt;
  QTimer* Timer1;

  // Handlers.
  void FormCreate();
  void FormShow();
  void FormClose();
  void Timer1Timer();
  void aktDblClick();

  // Empties the list at the start of a tick.
  void ClearRows();
  // Appends the rows of a tick, each keeping the URL it was read from.
  void AddRows(const std::vector<NotificationRow>& rows);
  // The URL row `row` was read from; empty for no such row.
  std::string RowUrl(int row) const;
  // Starts the auto-close countdown unless it runs already.
  void SwitchTimer1On();

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  NotificationHost& host_;
  // A bad seconds text is reported once, not at every showing.
  OneErrorBox interval_errors_;
};

}  // namespace rivolet

// The main window's side of remembered reading: marking items read and
// unread, the next unread item, unread counts in the feed menu and the
// tray's tooltip. All of it shows only while "Remember what I have read" is
// on; with it off the window is as it always was.
#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QTimer>
#include <QTreeWidget>

#include "app/main_form.h"
#include "app/tray_icon.h"
#include "platform/desktop.h"
#include "platform/text_bridge.h"
#include "widgets/artwork.h"
#include "widgets/components.h"
#include "widgets/connect.h"

namespace rivolet {
namespace {

// How long a status note stays.
constexpr int kStatusNoteMs = 5000;

}  // namespace

void TMainForm::CreateReadingCommands() {
  MarkAllRead1 = new QAction("Mark all read", this);
  MarkAllRead1->setObjectName("MarkAllRead1");
  MarkAllRead1->setShortcut(QKeySequence("Ctrl+R"));
  MarkUnread1 = new QAction("Mark unread", this);
  MarkUnread1->setObjectName("MarkUnread1");
  // N and Space anywhere in the window, on either page.
  NextUnread1 = new QAction(this);
  NextUnread1->setObjectName("NextUnread1");
  NextUnread1->setShortcuts(
      {QKeySequence(Qt::Key_N), QKeySequence(Qt::Key_Space)});

  ConnectGuarded(MarkAllRead1, &QAction::triggered, this,
                 &TMainForm::MarkAllRead1Click);
  ConnectGuarded(MarkUnread1, &QAction::triggered, this,
                 &TMainForm::MarkUnread1Click);
  ConnectGuarded(NextUnread1, &QAction::triggered, this,
                 &TMainForm::NextUnread1Click);
  ApplyReadingSwitches();
}

void TMainForm::ApplyReadingSwitches() {
  const bool on = parts_.remembered.remember();
  for (QAction* command : {MarkAllRead1, MarkUnread1, NextUnread1}) {
    command->setVisible(on);
    command->setEnabled(on);
  }
  // The commands are in the menus and the window only while the switch is
  // on: off, the menus are as they always were and N and Space are free.
  const bool placed = File1->actions().contains(MarkAllRead1);
  if (on && !placed) {
    // In the File menu just above the line before Exit, and in the list's
    // popup menu.
    QAction* before_exit = nullptr;
    for (QAction* item : File1->actions()) {
      if (item == Exit1) break;
      if (item->isSeparator()) before_exit = item;
    }
    File1->insertAction(before_exit, MarkAllRead1);
    MainChannelsListPopup->addAction(MarkUnread1);
    MainChannelsListPopup->addAction(MarkAllRead1);
    addAction(NextUnread1);
  } else if (!on && placed) {
    File1->removeAction(MarkAllRead1);
    MainChannelsListPopup->removeAction(MarkUnread1);
    MainChannelsListPopup->removeAction(MarkAllRead1);
    removeAction(NextUnread1);
  }
  if (!on && StatusNote) StatusNote->clear();
  ShowUnreadTotal();
}

void TMainForm::ShowUnreadTotal() {
  std::string hint;
  if (parts_.remembered.remember()) {
    std::vector<std::string> urls;
    urls.reserve(parts_.feed_list.Count());
    for (const FeedEntry& entry : parts_.feed_list.entries())
      urls.push_back(entry.Url());
    hint = Text("UnreadInTray",
                {std::to_string(parts_.remembered.UnreadTotal(urls))});
  }
  if (hint == tray->Hint) return;
  tray->Hint = hint;
  tray->Update();
}

void TMainForm::ShowStatusNote(const std::string& text) {
  if (!StatusNote) {
    // The status area: the bottom row of the window, right of the help link.
    StatusNote = PlaceLabel(centralWidget(), "StatusNote", 110, 414);
    StatusNote->setFont(WindowFont(11));
    StatusNote->setFixedWidth(centralWidget()->width() - 114);
    StatusNote->setAlignment(Qt::AlignRight | Qt::AlignTop);
    StatusNoteTimer = new QTimer(this);
    StatusNoteTimer->setObjectName("StatusNoteTimer");
    StatusNoteTimer->setSingleShot(true);
    StatusNoteTimer->setInterval(kStatusNoteMs);
    connect(StatusNoteTimer, &QTimer::timeout, StatusNote, &QLabel::clear);
  }
  StatusNote->setText(ToQt(text));
  StatusNote->show();
  StatusNoteTimer->start();
}

QString TMainForm::FeedMenuCaption(const std::string& name,
                                   const std::string& url) {
  QString caption = ToQt(name).replace('&', "&&");
  if (const std::optional<int> unread = parts_.remembered.UnreadCount(url))
    caption += QString(" (%1)").arg(*unread);
  return caption;
}

void TMainForm::RowMarksChanged(const std::vector<int>& rows, bool read) {
  for (const int index : rows) {
    if (QTreeWidgetItem* row = main_channels->topLevelItem(index))
      SetMark(row, read ? ReadingSession::kRead : ReadingSession::kUnread);
  }
  lUnreadNo->setText(QString::number(session.UnreadCount()));
  LayOutCountLabels();
  parts_.remembered.Mark(session.shown_feed_url(), session.reading(), rows,
                         read, session.UnreadCount());
  ShowUnreadTotal();
}

void TMainForm::MarkAllRead1Click() {
  if (!parts_.remembered.remember()) return;
  RowMarksChanged(session.MarkAllRead(), true);
}

void TMainForm::MarkUnread1Click() {
  if (!parts_.remembered.remember()) return;
  const QList<QTreeWidgetItem*> selected = main_channels->selectedItems();
  if (selected.isEmpty()) return;
  const int index = main_channels->indexOfTopLevelItem(selected.front());
  if (session.Mark(index) != ReadingSession::kRead) return;
  session.MarkUnread(index);
  RowMarksChanged({index}, false);
}

void TMainForm::NextUnread1Click() {
  if (!parts_.remembered.remember()) return;
  // From the row chosen last, else from the top.
  const QList<QTreeWidgetItem*> selected = main_channels->selectedItems();
  const int from = selected.isEmpty()
                       ? -1
                       : main_channels->indexOfTopLevelItem(selected.front());
  const int next = session.NextUnreadRow(from);
  if (next < 0) {
    ShowStatusNote(Text("NoMoreUnread"));
    return;
  }
  QTreeWidgetItem* row = main_channels->topLevelItem(next);
  main_channels->setCurrentItem(row);
  main_channels->scrollToItem(row);
  if (StatusNote) StatusNote->clear();
  main_channelsDblClick();
}

void TMainForm::TellStoreTrouble(const StoreTrouble& trouble) {
  const std::string message =
      trouble.kind == StoreTrouble::Kind::kSetAside
          ? Text("ReadingStoreDamaged",
                 {trouble.reason, trouble.kept_as.filename().string()})
          : Text("ReadingStoreUnavailable", {trouble.reason});
  CurrentDesktop().ShowMessage(MessageKind::kWarning, message, kProgramCaption,
                               this);
}

}  // namespace rivolet

// The notification window.
#include "update/notification_form.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QMouseEvent>
#include <QShowEvent>
#include <QStyle>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "platform/desktop.h"
#include "platform/frame_position.h"
#include "platform/guard.h"
#include "platform/text_bridge.h"
#include "update/notification.h"
#include "widgets/artwork.h"
#include "widgets/connect.h"
#include "widgets/whole_text_tips.h"

namespace rivolet {
namespace {

// Where a row keeps the URL it was read from, as the bytes of the feed list.
constexpr int kUrlRole = Qt::UserRole;

}  // namespace

TAktualizacjaForm::TAktualizacjaForm(NotificationHost& host) : host_(host) {
  setObjectName("AktualizacjaForm");
  setWindowTitle(kProgramCaption);
  setWindowIcon(QIcon(ProgramIcon()));
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  // It reports; it does not take the keyboard from what the user is doing,
  // and closing it never ends the program.
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_QuitOnClose, false);
  setFont(WindowFont(11));
  // The design size is the whole window's, its frame included.
  KeepFrameSize(this, {kWidth, kHeight});

  akt = new QTreeWidget(this);
  akt->setObjectName("akt");
  akt->setColumnCount(3);
  akt->setHeaderLabels({"MainTitle", "Title", "Date"});
  akt->setHeaderHidden(true);
  akt->setRootIsDecorated(false);
  akt->setEditTriggers(QAbstractItemView::NoEditTriggers);
  akt->setSelectionBehavior(QAbstractItemView::SelectRows);
  akt->setSelectionMode(QAbstractItemView::SingleSelection);
  akt->viewport()->setCursor(Qt::PointingHandCursor);
  akt->setColumnWidth(0, 100);
  akt->setColumnWidth(1, 150);
  akt->setColumnWidth(2, 70);
  akt->viewport()->installEventFilter(this);
  ShowWholeTextTips(akt);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(akt);

  Timer1 = new QTimer(this);
  Timer1->setObjectName("Timer1");
  Timer1->setInterval(5000);
  ConnectGuarded(Timer1, &QTimer::timeout, this,
                 &TAktualizacjaForm::Timer1Timer);
  Timer1->start();

  Guarded([this] { FormCreate(); });
}

TAktualizacjaForm::~TAktualizacjaForm() = default;

void TAktualizacjaForm::FormCreate() {
  // Once, from the design size, which is the whole window's. A full-screen
  // window's client area ends one title bar above the bottom of the work
  // area; the window's bottom edge goes 10 pixels below that, so it sits just
  // above any panel. Its right edge stays 20 pixels in from the screen's.
  const PixelRect screen = CurrentDesktop().ScreenSize();
  const PixelRect work = CurrentDesktop().WorkArea();
  const int title_bar = style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const int full_screen_client_height = work.top + work.height - title_bar;
  MoveFrameTo(this, {screen.left + screen.width - kWidth - 20,
                     full_screen_client_height - kHeight + 10});
}

void TAktualizacjaForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) Guarded([this] { FormShow(); }, &interval_errors_);
}

void TAktualizacjaForm::FormShow() {
  const int interval =
      NotificationCloseInterval(host_.NotificationSecondsText());
  // A changed interval starts the countdown anew; the same one leaves it.
  if (interval != Timer1->interval()) Timer1->setInterval(interval);
  if (interval == 0) Timer1->stop();
}

void TAktualizacjaForm::closeEvent(QCloseEvent* event) {
  Guarded([this] { FormClose(); });
  event->accept();
}

void TAktualizacjaForm::FormClose() { Timer1->stop(); }

void TAktualizacjaForm::Timer1Timer() { close(); }

bool TAktualizacjaForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == akt->viewport() &&
      event->type() == QEvent::MouseButtonDblClick) {
    // Only the left button opens a feed. The double-click is about the row
    // under the pointer; below the rows it is about none.
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) return true;
    if (QTreeWidgetItem* row = akt->itemAt(mouse->position().toPoint())) {
      akt->setCurrentItem(row);
    } else {
      akt->clearSelection();
    }
    Guarded([this] { aktDblClick(); });
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

void TAktualizacjaForm::aktDblClick() {
  const QList<QTreeWidgetItem*> selected = akt->selectedItems();
  if (!selected.isEmpty()) {
    // The row's own URL: its caption is the channel title, which need not
    // be the name of any feed.
    const std::string url = RowUrl(akt->indexOfTopLevelItem(selected.front()));
    host_.OpenNotifiedFeed(url);
    close();
  }
  host_.RestoreProgram();
}

void TAktualizacjaForm::ClearRows() { akt->clear(); }

void TAktualizacjaForm::AddRows(const std::vector<NotificationRow>& rows) {
  QList<QTreeWidgetItem*> items;
  for (const NotificationRow& row : rows) {
    auto* item = new QTreeWidgetItem(
        {ShownToQt(row.caption), ShownToQt(row.title), ShownToQt(row.date)});
    item->setData(0, kUrlRole, QByteArray::fromStdString(row.url));
    items.append(item);
  }
  akt->addTopLevelItems(items);
}

std::string TAktualizacjaForm::RowUrl(int row) const {
  const QTreeWidgetItem* item = akt->topLevelItem(row);
  return item ? item->data(0, kUrlRole).toByteArray().toStdString()
              : std::string();
}

void TAktualizacjaForm::SwitchTimer1On() {
  if (Timer1->interval() > 0 && !Timer1->isActive()) Timer1->start();
}

}  // namespace rivolet

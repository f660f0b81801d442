// Tooltips with the whole text of cut cells.
#include "widgets/whole_text_tips.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHelpEvent>
#include <QTextDocument>
#include <QToolTip>

namespace rivolet {
namespace {

class WholeTextTips : public QObject {
 public:
  explicit WholeTextTips(QAbstractItemView* view) : QObject(view), view_(view) {
    view->viewport()->installEventFilter(this);
  }

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched != view_->viewport() || event->type() != QEvent::ToolTip) {
      return QObject::eventFilter(watched, event);
    }
    const auto* help = static_cast<QHelpEvent*>(event);
    const QString tip = WholeTextTip(view_, help->pos());
    if (tip.isEmpty()) {
      QToolTip::hideText();
    } else {
      // The text comes from outside: shown as it is, never as markup.
      QToolTip::showText(help->globalPos(),
                         Qt::convertFromPlainText(tip, Qt::WhiteSpaceNormal),
                         view_->viewport(),
                         view_->visualRect(view_->indexAt(help->pos())));
    }
    return true;
  }

 private:
  QAbstractItemView* view_;
};

}  // namespace

void ShowWholeTextTips(QAbstractItemView* view) { new WholeTextTips(view); }

QString WholeTextTip(const QAbstractItemView* view, QPoint at) {
  const QModelIndex index = view->indexAt(at);
  if (!index.isValid()) return {};
  const QString text = index.data(Qt::DisplayRole).toString();
  if (text.isEmpty()) return {};
  return view->sizeHintForIndex(index).width() > view->visualRect(index).width()
             ? text
             : QString();
}

}  // namespace rivolet

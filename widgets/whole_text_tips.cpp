// Tooltips with the whole text of cut cells.
#include "widgets/whole_text_tips.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QHelpEvent>
#include <QTextDocument>  // Qt::mightBeRichText
#include <QToolTip>

#include "platform/text_bridge.h"

namespace rivolet {
namespace {

// Longer tips are wrapped.
constexpr int kOneLine = 80;

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
      // The text comes from outside: shown as it is, never as markup. Qt
      // takes what looks like markup for it, and wraps only markup: such a
      // text, or a long one, goes escaped; a short one (an address) stays
      // on one line.
      const QString shown = Qt::mightBeRichText(tip) || tip.size() > kOneLine
                                ? PlainToolTip(tip)
                                : tip;
      QToolTip::showText(help->globalPos(), shown, view_->viewport(),
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

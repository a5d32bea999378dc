#pragma once

#include <QStyledItemDelegate>

namespace ventoria::ui {

// Draws a view's cells with tabular figures (tabular_text.h), so columns of readings that
// change every poll keep their numbers still.
class TabularDelegate : public QStyledItemDelegate {
    Q_OBJECT
  public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace ventoria::ui

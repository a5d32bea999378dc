#include "controls/tabular_delegate.h"

#include <QApplication>
#include <QPainter>
#include <cmath>

#include "controls/tabular_text.h"

namespace ventoria::ui {

void TabularDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    QString text = cell.text;
    cell.text.clear();  // the style draws the cell, the text is ours
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);

    auto area = style->subElementRect(QStyle::SE_ItemViewItemText, &cell, widget);
    area.adjust(3, 0, -3, 0);  // the style's own text margin
    painter->save();
    painter->setFont(cell.font);
    painter->setPen(cell.palette.color(QPalette::Text));
    drawTabular(*painter, area, cell.displayAlignment,
                elidedTabular(QFontMetricsF(cell.font), text, area.width()));
    painter->restore();
}

QSize TabularDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    QStyleOptionViewItem cell = option;
    initStyleOption(&cell, index);
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    auto width = tabularWidth(QFontMetricsF(cell.font), cell.text) -
                 QFontMetricsF(cell.font).horizontalAdvance(cell.text);
    size.setWidth(size.width() + static_cast<int>(std::ceil(std::max(0.0, width))));
    return size;
}

}  // namespace ventoria::ui

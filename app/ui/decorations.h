#pragma once
// Plain shapes the surfaces are built from.

#include <QColor>
#include <QWidget>

namespace ventoria::ui {

// A rounded rectangle of one colour.
class RoundedTile : public QWidget {
    Q_OBJECT
  public:
    RoundedTile(QSize size, qreal radius, QWidget* parent);
    void setColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    qreal radius_;
    QColor color_;
};

// A divider: a rectangle half a point high.
class Hairline : public QWidget {
    Q_OBJECT
  public:
    explicit Hairline(QWidget* parent);
    void setColor(const QColor& color);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor color_;
};

// Follows the pointer over `widget` for a hover highlight, repainting when it changes. A
// widget that is hidden gets no leave event, so hiding forgets the pointer: a row hovered
// when its popover closed is not highlighted when it opens again.
void followHover(QWidget& widget, const QEvent& event, bool& hovered);

}  // namespace ventoria::ui

#pragma once

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

}  // namespace ventoria::ui

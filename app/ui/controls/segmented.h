#pragma once

#include <QStringList>
#include <QWidget>

#include "theme.h"

namespace ventoria::ui {

// The design's segmented control: a row of options on a tile, the selected one raised.
class Segmented : public QWidget {
    Q_OBJECT
  public:
    Segmented(QStringList titles, bool fill, QWidget* parent = nullptr);

    void setSelected(int index);
    int selected() const { return selected_; }
    void setTheme(const PopoverTheme& theme);
    QSize sizeHint() const override;
    // The option under `point`, or -1.
    int optionAt(QPoint point) const;

  signals:
    void chosen(int index);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    QRectF segment(int index) const;
    QFont font() const;

    QStringList titles_;
    bool fill_;
    int selected_ = 0;
    PopoverTheme theme_;
};

}  // namespace ventoria::ui

#pragma once

#include <QWidget>

#include "animation.h"
#include "motion.h"

namespace ventoria::ui {

// A capsule track with a capsule fill from the leading edge; level changes ease over 0.8 s.
class LevelBar : public QWidget {
    Q_OBJECT
  public:
    explicit LevelBar(QWidget* parent = nullptr);

    void setLevel(double level);
    void setColors(const QColor& fill, const QColor& track);
    double shownLevel() const { return level_.value(); }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Motion level_;
    QColor fill_;
    QColor track_;
};

}  // namespace ventoria::ui

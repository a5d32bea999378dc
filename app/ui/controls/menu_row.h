#pragma once

#include <QAbstractButton>

#include "theme.h"

namespace ventoria::ui {

// A full-width row that reads like a menu item: highlighted under the pointer.
class MenuRow : public QAbstractButton {
    Q_OBJECT
  public:
    MenuRow(const QString& title, const QString& hint, QWidget* parent = nullptr);
    void setTheme(const PopoverTheme& theme);
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

  private:
    QString hint_;
    PopoverTheme theme_;
    bool hovered_ = false;
};

}  // namespace ventoria::ui

#pragma once

#include <QFont>
#include <QLabel>
#include <QPoint>
#include <QVBoxLayout>
#include <QWidget>

#include "controls/hairline.h"
#include "theme.h"

namespace ventoria::ui {

// The body of the application's own windows (the editor, Settings, Details): a rounded panel
// in the desktop's appearance, movable by its background since the window draws no title bar,
// with a close control of its own where the system gives none.
class PanelView : public QWidget {
    Q_OBJECT
  public:
    explicit PanelView(QWidget* parent = nullptr);

  protected:
    // A wrapping label in `font`.
    QLabel* text(const QString& content, const QFont& font);
    // A one-line label for a number that changes (number_label.h).
    QLabel* number(const QFont& font);
    // Lays the panel out `width` wide: the centred title, then the body returned, with the
    // panels' side margins, `bottom` below it and `spacing` between its items.
    QVBoxLayout* frame(const QString& titleText, int width, int bottom, int spacing);
    Hairline* divider();

    // Escape closes the window.
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

    bool dark_;
    PopoverTheme theme_;

  private:
    QPoint dragFrom_;
    QWidget* header_ = nullptr;
    QWidget* close_ = nullptr;  // only where the system draws none
};

}  // namespace ventoria::ui

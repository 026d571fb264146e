// The plot area of the window: a framed control, and inside its frame a widget that shows the
// plot's picture and nothing else, so that drawing on the plot never paints the frame again.
#pragma once

#include "plot_picture.h"

#include <QFrame>

namespace plot {

// Shows the plot's picture, kept at the pixel ratio of the widget's screen: each flush of it is
// shown at once, by a repaint of the rectangle that changed. The picture is the widget's own, so
// covering or minimising the window never loses it.
class PictureView final : public QWidget {
    Q_OBJECT

public:
    // The geometry is fixed for the widget's life.
    PictureView(const QRect& geometry, QWidget* parent);

    PlotPicture& picture() { return picture_; }
    const QImage& image() const { return picture_.image(); }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void followPixelRatio();
    QRect deviceRect(qreal ratio) const;
    QRect toWidget(const QRect& imageRect) const;

    PlotPicture picture_;
};

// The plot control: a thin sunken frame, white inside, around the picture's view. It takes the
// focus in the window's tab chain; the view only shows.
class PlotSurface final : public QFrame {
    Q_OBJECT

public:
    // The geometry is fixed for the widget's life.
    PlotSurface(const QRect& geometry, QWidget* parent);

    // What the plot is drawn on.
    PlotPicture& picture() { return view_->picture(); }
    const QImage& image() const { return view_->image(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    PictureView* view_ = nullptr;
};

}  // namespace plot

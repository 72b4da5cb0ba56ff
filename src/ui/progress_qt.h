#pragma once
// The load-progress window on Qt: a frameless child widget showing the window's own
// artwork, shaped by the artwork's outline, with the bar drawn over it.

#include <QImage>
#include <QPointer>
#include <QRegion>
#include <QWidget>
#include <memory>
#include <vector>

#include "ui/progress_port.h"
#include "ui/window_region.h"

namespace kvt::ui {

inline constexpr int kProgressArtWidth = 214;
inline constexpr int kProgressArtHeight = 123;

// The window's picture: a grey rounded panel on white, a dark title strip with "Loading"
// in white, a small mark, and a recessed orange slot under the bar.
QImage ProgressArtwork();

// The picture's pixels as the outline computation reads them.
Bitmap BitmapOfImage(const QImage& image);

// The union of the rectangles.
QRegion RegionOfRects(const std::vector<Rect>& rects);

class ProgressWidget final : public QWidget {
  public:
    ProgressWidget();
    void SetPercent(int percent);
    int Percent() const { return percent_; }
    // Centres the window in its parent once, at its first showing.
    void ShowOnTop();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    void PaintBar(QPainter& painter) const;

    QImage artwork_;
    int percent_ = 0;
    bool shown_before_ = false;
    QPoint drag_offset_;
};

class QtProgressWindow final : public ProgressWindow {
  public:
    QtProgressWindow();
    ~QtProgressWindow() override;

    void SetParent(WindowHandle parent) override;
    void MoveTo(int left, int top) override;
    void SetPercent(int percent) override;
    void ShowOnTop() override;
    void Hide() override;
    // The widget is deleted with its parent widget.
    bool Alive() const override { return !widget_.isNull(); }

    ProgressWidget* Widget() const { return widget_.data(); }

  private:
    QPointer<ProgressWidget> widget_;
};

class QtProgressPlatform final : public ProgressPlatform {
  public:
    std::unique_ptr<ProgressWindow> CreateProgressWindow() override;
    void ProcessMessages() override;
    void Pause(std::chrono::milliseconds duration) override;
};

}  // namespace kvt::ui

#include "ui/progress_qt.h"

#include <QCoreApplication>
#include <QFont>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <thread>

#include "base/errors.h"
#include "ui/load_progress.h"
#include "ui/progress_bar.h"
#include "ui/widget_handles_qt.h"

namespace kvt::ui {

namespace {

QColor Rgb(std::uint32_t rgb) {
    return QColor::fromRgb(static_cast<QRgb>(rgb));
}

const QRect kBarRect(kBarLeft, kBarTop, kBarWidth, kBarHeight);

void PaintPanel(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, true);
    QPainterPath panel;
    panel.addRoundedRect(QRectF(0.5, 0.5, kProgressArtWidth - 1, kProgressArtHeight - 1), 9, 9);
    painter.fillPath(panel, QColor(0xC8, 0xCB, 0xD0));
    painter.setPen(QColor(0x70, 0x74, 0x7A));
    painter.drawPath(panel);
    painter.setClipPath(panel);
    painter.fillRect(QRect(0, 0, kProgressArtWidth, 30), QColor(0x2E, 0x34, 0x40));
    painter.setClipping(false);
}

void PaintTitle(QPainter& painter) {
    QFont font = painter.font();
    font.setPixelSize(15);
    font.setBold(true);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(40, 0, 160, 30), Qt::AlignVCenter | Qt::AlignLeft,
                     QStringLiteral("Loading"));
}

// The mark: an orange ring with a blue core, left of the title.
void PaintMark(QPainter& painter) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0xFF, 0x80, 0x40));
    painter.drawEllipse(QRect(12, 7, 17, 17));
    painter.setBrush(QColor(0x3A, 0x6E, 0xC8));
    painter.drawEllipse(QRect(16, 11, 9, 9));
}

void PaintSlot(QPainter& painter) {
    painter.setRenderHint(QPainter::Antialiasing, false);
    const QRect slot = kBarRect.adjusted(-3, -3, 3, 3);
    painter.fillRect(slot, QColor(0xE0, 0x70, 0x30));
    painter.setPen(QColor(0x80, 0x40, 0x18));
    painter.drawLine(slot.topLeft(), slot.topRight());
    painter.drawLine(slot.topLeft(), slot.bottomLeft());
    painter.setPen(QColor(0xFF, 0xB0, 0x80));
    painter.drawLine(slot.bottomLeft(), slot.bottomRight());
    painter.drawLine(slot.topRight(), slot.bottomRight());
}

}  // namespace

QImage ProgressArtwork() {
    QImage image(kProgressArtWidth, kProgressArtHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintPanel(painter);
    PaintTitle(painter);
    PaintMark(painter);
    PaintSlot(painter);
    return image;
}

Bitmap BitmapOfImage(const QImage& image) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    Bitmap bitmap;
    bitmap.width = rgb.width();
    bitmap.height = rgb.height();
    bitmap.pixels.reserve(static_cast<std::size_t>(bitmap.width) *
                          static_cast<std::size_t>(bitmap.height));
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            bitmap.pixels.push_back(rgb.pixel(x, y));
        }
    }
    return bitmap;
}

QRegion RegionOfRects(const std::vector<Rect>& rects) {
    QRegion region;
    for (const Rect& rect : rects) {
        region += QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
    }
    return region;
}

ProgressWidget::ProgressWidget() : artwork_(ProgressArtwork()) {
    setObjectName(QStringLiteral("LoadProgress"));
    setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(kProgressWindowWidth, kProgressWindowHeight);
    const Bitmap bitmap = BitmapOfImage(artwork_);
    setMask(RegionOfRects(RegionRects(bitmap, TransparentColour(bitmap))));
}

void ProgressWidget::SetPercent(int percent) {
    percent_ = percent;
    repaint();
}

void ProgressWidget::ShowOnTop() {
    if (!shown_before_ && parentWidget() != nullptr) {
        const Point origin =
            CenteredOrigin(parentWidget()->width(), parentWidget()->height(), width(), height());
        move(origin.left, origin.top);
    }
    shown_before_ = true;
    show();
    raise();
}

void ProgressWidget::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    painter.drawImage(0, 0, artwork_);
    PaintBar(painter);
}

// The filled part from the left in the bar colour, the rest white; the percent text
// centred on the whole bar, white over the fill and in the bar colour elsewhere.
void ProgressWidget::PaintBar(QPainter& painter) const {
    const QColor bar = Rgb(kBarColourRgb);
    const QColor back = Rgb(kBarBackColourRgb);
    painter.setPen(QColor(0x80, 0x80, 0x80));
    painter.drawRect(kBarRect.adjusted(0, 0, -1, -1));
    const QRect inner =
        kBarRect.adjusted(kBarBorderWidth, kBarBorderWidth, -kBarBorderWidth, -kBarBorderWidth);
    const int fill = BarFillWidth(percent_, BarInnerWidth(kBarWidth, kBarBorderWidth));
    const QRect filled(inner.left(), inner.top(), fill, inner.height());
    const QRect rest(inner.left() + fill, inner.top(), inner.width() - fill, inner.height());
    painter.fillRect(filled, bar);
    painter.fillRect(rest, back);

    QFont font = painter.font();
    font.setPixelSize(11);
    painter.setFont(font);
    const QString text = QString::fromStdString(PercentText(percent_));
    painter.setClipRect(filled);
    painter.setPen(back);
    painter.drawText(kBarRect, Qt::AlignCenter, text);
    painter.setClipRect(rest);
    painter.setPen(bar);
    painter.drawText(kBarRect, Qt::AlignCenter, text);
    painter.setClipping(false);
}

// Dragging the picture moves the window within its parent.
void ProgressWidget::mousePressEvent(QMouseEvent* event) {
    drag_offset_ = event->position().toPoint();
}

void ProgressWidget::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        move(mapToParent(event->position().toPoint()) - drag_offset_);
    }
}

QtProgressWindow::QtProgressWindow() : widget_(new ProgressWidget()) {}

QtProgressWindow::~QtProgressWindow() {
    delete widget_.data();
}

void QtProgressWindow::SetParent(WindowHandle parent) {
    QWidget* const widget = WidgetOfHandle(parent);
    if (widget == nullptr) {
        throw Exception("The progress window's parent window does not exist");
    }
    if (ProgressWidget* const own = widget_.data()) {
        const bool visible = own->isVisible();
        own->setParent(widget);
        own->setVisible(visible);
    }
}

void QtProgressWindow::MoveTo(int left, int top) {
    if (ProgressWidget* const widget = widget_.data()) {
        widget->move(left, top);
    }
}

void QtProgressWindow::SetPercent(int percent) {
    if (ProgressWidget* const widget = widget_.data()) {
        widget->SetPercent(percent);
    }
}

void QtProgressWindow::ShowOnTop() {
    if (ProgressWidget* const widget = widget_.data()) {
        widget->ShowOnTop();
    }
}

void QtProgressWindow::Hide() {
    if (ProgressWidget* const widget = widget_.data()) {
        widget->hide();
    }
}

std::unique_ptr<ProgressWindow> QtProgressPlatform::CreateProgressWindow() {
    return std::make_unique<QtProgressWindow>();
}

void QtProgressPlatform::ProcessMessages() {
    QCoreApplication::processEvents();
}

void QtProgressPlatform::Pause(std::chrono::milliseconds duration) {
    std::this_thread::sleep_for(duration);
}

}  // namespace kvt::ui

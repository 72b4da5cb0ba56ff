#include "ui/control_form_qt.h"

#include <QCoreApplication>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <utility>

#include "ui/widget_handles_qt.h"

namespace kvt::ui {

namespace {
constexpr int kFormWidth = 616;
constexpr int kFormHeight = 334;
}  // namespace

class FormWidget final : public QWidget {
  public:
    explicit FormWidget(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("KvNewTavrix"));
        resize(kFormWidth, kFormHeight);
    }
    void SetResizeHandler(std::function<void(int, int)> handler) {
        resize_handler_ = std::move(handler);
    }

  protected:
    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        if (resize_handler_) {
            resize_handler_(event->size().width(), event->size().height());
        }
    }

  private:
    std::function<void(int, int)> resize_handler_;
};

QtControlForm::QtControlForm(QWidget* parent) : widget_(new FormWidget(parent)) {
    auto* layout = new QVBoxLayout(widget_);
    layout->setContentsMargins(0, 0, 0, 0);
    browser_ = std::make_shared<browser::QtBrowser>(widget_);
    layout->addWidget(browser_->View());
}

QtControlForm::~QtControlForm() {
    if (FormWidget* const widget = widget_.data()) {
        widget->SetResizeHandler(nullptr);
    }
}

QWidget* QtControlForm::Widget() const {
    return widget_.data();
}

WindowHandle QtControlForm::Handle() {
    return widget_ ? HandleOfWidget(widget_) : 0;
}

void QtControlForm::SetFrameBorderNone() {
    if (widget_) {
        widget_->setContentsMargins(0, 0, 0, 0);
    }
}

void QtControlForm::SetResizeHandler(std::function<void(int width, int height)> handler) {
    if (FormWidget* const widget = widget_.data()) {
        widget->SetResizeHandler(std::move(handler));
    }
}

void QtControlForm::SetApplicationOwner(std::int32_t main_window) {
    ui::SetApplicationOwner(WidgetOfHandle(static_cast<WindowHandle>(main_window)));
}

void QtControlForm::ProcessMessages() {
    QCoreApplication::processEvents();
}

}  // namespace kvt::ui

#pragma once
// The control's form on Qt: a widget that the control's browser fills.

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

#include "browser/browser_qt.h"
#include "ui/control_form.h"

namespace kvt::ui {

class FormWidget;

class QtControlForm final : public ControlForm {
  public:
    // Creates the form widget (616 x 334 until a layout sizes it) as a child of `parent`,
    // with the browser filling it.
    explicit QtControlForm(QWidget* parent);
    ~QtControlForm() override;

    QWidget* Widget() const;
    const std::shared_ptr<browser::QtBrowser>& Browser() const { return browser_; }

    WindowHandle Handle() override;
    void SetFrameBorderNone() override;
    void SetResizeHandler(std::function<void(int width, int height)> handler) override;
    // `main_window` is a handle from HandleOfWidget.
    void SetApplicationOwner(std::int32_t main_window) override;
    void ProcessMessages() override;

  private:
    QPointer<FormWidget> widget_;
    std::shared_ptr<browser::QtBrowser> browser_;
};

}  // namespace kvt::ui

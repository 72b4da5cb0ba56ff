#pragma once
// The popup browser window on Qt: a modal dialog with its own view. It shows itself once
// the event that created it has returned to the engine and frees itself when closed.

#include <QDialog>
#include <QPointer>
#include <QWebEngineView>
#include <functional>
#include <memory>
#include <optional>

#include "browser/browser_qt.h"
#include "ui/popup_port.h"

namespace kvt::ui {

class PopupDialog;
class QtPopupFactory;

// What the creator holds of a popup; it lives as long as the dialog.
class QtPopupWindow final : public PopupWindow {
  public:
    QtPopupWindow(PopupDialog* dialog, QWebEnginePage* page);
    void BringToFront() override;
    std::shared_ptr<InterfaceBase> BrowserApplication() override;
    void Discard() noexcept override;
    PopupDialog* Dialog() const { return dialog_.data(); }

  private:
    QPointer<PopupDialog> dialog_;
    std::shared_ptr<browser::PageHandle> page_;
};

class PopupDialog final : public QDialog, public PopupView {
  public:
    PopupDialog(QWidget* owner, std::weak_ptr<QtPopupFactory> factory,
                std::function<void()> on_destroyed);
    // Runs the creator's notification first, while the dialog and its browser still exist.
    ~PopupDialog() override;

    const std::shared_ptr<QtPopupWindow>& Handle() const { return handle_; }
    // The creator gives the popup up: it goes without telling the creator.
    void DropNotification() { on_destroyed_ = nullptr; }
    QWebEngineView* View() const { return web_.view; }

    void SetCaption(const AnsiString& caption) override;
    std::optional<WideString> TopDocumentTitle() override;
    void ActivateDocument() override;

  private:
    void ShowModal();
    void OnLoadFinished(const QWebEngineLoadingInfo& info);
    void OnTitleRead(const QVariant& title);

    std::weak_ptr<QtPopupFactory> factory_;
    std::function<void()> on_destroyed_;
    browser::WebView web_;
    std::optional<WideString> title_;
    std::shared_ptr<QtPopupWindow> handle_;
};

class QtPopupFactory final : public PopupFactory,
                             public std::enable_shared_from_this<QtPopupFactory> {
  public:
    // The popups' owner window is the application owner (SetApplicationOwner).
    std::shared_ptr<PopupWindow> CreatePopup(std::function<void()> on_destroyed) override;
};

// The popup's document-page icon in the sizes 24, 32, 48, 72, 96 and 128.
QIcon PopupIcon();

}  // namespace kvt::ui

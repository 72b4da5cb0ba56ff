#include "ui/popup_qt.h"

#include <QGuiApplication>
#include <QIcon>
#include <QPainter>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <utility>

#include "browser/wide_text_qt.h"
#include "ui/popup.h"
#include "ui/widget_handles_qt.h"

namespace kvt::ui {

namespace {

// The client area inside the popup's outer size of 870 x 500.
constexpr int kPopupClientWidth = 862;
constexpr int kPopupClientHeight = 473;
constexpr int kShowDelayMs = 1;

QString QStringOfAnsi(const AnsiString& text) {
    return browser::ToQString(AnsiToWide(text));
}

QPixmap PageIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing, true);
    const qreal unit = size / 24.0;
    const QRectF sheet(4 * unit, 2 * unit, 16 * unit, 20 * unit);
    painter.setPen(QPen(QColor(0x50, 0x58, 0x66), unit));
    painter.setBrush(Qt::white);
    painter.drawRect(sheet);
    painter.setPen(QPen(QColor(0xFF, 0x80, 0x40), 1.5 * unit));
    for (int line = 0; line < 4; ++line) {
        const qreal y = (7 + 4 * line) * unit;
        painter.drawLine(QPointF(7 * unit, y), QPointF(17 * unit, y));
    }
    return pixmap;
}

}  // namespace

QIcon PopupIcon() {
    QIcon icon;
    for (const int size : {24, 32, 48, 72, 96, 128}) {
        icon.addPixmap(PageIcon(size));
    }
    return icon;
}

QtPopupWindow::QtPopupWindow(PopupDialog* dialog, QWebEnginePage* page)
    : dialog_(dialog), page_(std::make_shared<browser::PageHandle>(page)) {}

void QtPopupWindow::BringToFront() {
    if (PopupDialog* const dialog = dialog_.data()) {
        dialog->raise();
        dialog->activateWindow();
    }
}

std::shared_ptr<InterfaceBase> QtPopupWindow::BrowserApplication() {
    return page_;
}

void QtPopupWindow::Discard() noexcept {
    if (PopupDialog* const dialog = dialog_.data()) {
        dialog->DropNotification();
        // Deleted at once rather than with deleteLater(): its one-shot show timer, which goes
        // with it, could otherwise fire first and show the popup being given up.
        delete dialog;
    }
}

PopupDialog::PopupDialog(QWidget* owner, std::weak_ptr<QtPopupFactory> factory,
                         std::function<void()> on_destroyed)
    : QDialog(owner, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                         Qt::WindowMaximizeButtonHint | Qt::WindowCloseButtonHint),
      factory_(std::move(factory)),
      on_destroyed_(std::move(on_destroyed)),
      web_(browser::CreateWebView(this)) {
    setObjectName(QStringLiteral("PopupBrowser"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowModality(Qt::ApplicationModal);
    setWindowIcon(PopupIcon());
    SetCaption(PopupInitialCaption());
    resize(kPopupClientWidth, kPopupClientHeight);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(web_.view);
    // A new window from the popup's page opens a further popup, which nobody is told about.
    web_.page->SetNewWindowHook([weak = factory_]() -> QWebEnginePage* {
        const auto popups = weak.lock();
        if (!popups) {
            return nullptr;
        }
        const auto popup = std::dynamic_pointer_cast<QtPopupWindow>(popups->CreatePopup(nullptr));
        return popup && popup->Dialog() ? popup->Dialog()->View()->page() : nullptr;
    });
    connect(web_.page, &QWebEnginePage::urlChanged, this, [this] { PopupNavigateComplete(*this); });
    connect(web_.page, &QWebEnginePage::loadingChanged, this,
            [this](const QWebEngineLoadingInfo& info) { OnLoadFinished(info); });
    handle_ = std::make_shared<QtPopupWindow>(this, web_.page);

    // Shown once the creating event has returned to the engine; never if the dialog is
    // gone by then.
    QTimer::singleShot(kShowDelayMs, this, [this] { ShowModal(); });
}

PopupDialog::~PopupDialog() {
    if (on_destroyed_) {
        std::function<void()> notify = std::move(on_destroyed_);
        notify();
    }
    web_.page->SetNewWindowHook(nullptr);
}

void PopupDialog::ShowModal() {
    const QScreen* const screen =
        parentWidget() != nullptr ? parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    show();
    raise();
    activateWindow();
}

void PopupDialog::OnLoadFinished(const QWebEngineLoadingInfo& info) {
    if (!browser::LoadCompletedDocument(info)) {
        return;
    }
    // The caption follows the top document's own title, read from the document itself: the
    // engine's page title falls back to the address when the document has none.
    web_.page->runJavaScript(QStringLiteral("document.title"),
                             [self = QPointer<PopupDialog>(this)](const QVariant& title) {
                                 if (PopupDialog* const dialog = self.data()) {
                                     dialog->OnTitleRead(title);
                                 }
                             });
}

void PopupDialog::OnTitleRead(const QVariant& title) {
    if (title.typeId() == QMetaType::QString) {
        title_ = browser::ToWideString(title.toString());
    } else {
        title_.reset();
    }
    PopupDocumentComplete(*this);
}

void PopupDialog::SetCaption(const AnsiString& caption) {
    setWindowTitle(QStringOfAnsi(caption));
}

std::optional<WideString> PopupDialog::TopDocumentTitle() {
    return title_;
}

void PopupDialog::ActivateDocument() {
    if (!web_.page->url().isEmpty()) {
        web_.view->setFocus();
    }
}

std::shared_ptr<PopupWindow> QtPopupFactory::CreatePopup(std::function<void()> on_destroyed) {
    auto* dialog = new PopupDialog(ApplicationOwner(), weak_from_this(), std::move(on_destroyed));
    return dialog->Handle();
}

}  // namespace kvt::ui

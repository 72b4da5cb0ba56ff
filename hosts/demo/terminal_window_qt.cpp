#include "hosts/demo/terminal_window_qt.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "base/errors.h"
#include "browser/wide_text_qt.h"
#include "ui/load_progress.h"
#include "ui/progress_qt.h"
#include "ui/widget_handles_qt.h"

namespace kvt::demo {

namespace {

constexpr int kNodeRole = Qt::UserRole + 1;

using browser::ToQString;

SectorNode* NodeOf(const QTreeWidgetItem* item) {
    return item != nullptr
               ? reinterpret_cast<SectorNode*>(item->data(0, kNodeRole).value<quintptr>())
               : nullptr;
}

void FillItem(QTreeWidgetItem* item, SectorNode& node) {
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(&node)));
    item->setText(0, ToQString(node.Name()));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    if (node.IsLeaf()) {
        item->setText(1, ToQString(node.ID()));
        item->setText(2, ToQString(node.Code()));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, node.IsValid() ? Qt::Checked : Qt::Unchecked);
    }
    for (const auto& child : node.Children()) {
        FillItem(new QTreeWidgetItem(item), *child);
    }
}

}  // namespace

void InstallQtProgressPlatform() {
    ui::LoadProgress::Shared().SetPlatform(std::make_shared<ui::QtProgressPlatform>());
}

TerminalWindow::TerminalWindow(const DemoOptions& options)
    : sectors_(std::make_shared<SectorTree>()) {
    setWindowTitle(QStringLiteral("KvNewTavrix 演示终端"));
    std::string server_address = options.server;
    if (server_address.empty()) {
        server_ = std::make_unique<ContentServer>();
        server_->Start();
        server_address = server_->Address();
    }
    const std::string database =
        options.database.empty() ? DefaultDatabasePath() : options.database;
    controller_ =
        std::make_shared<DemoController>(OpenHostDatabase(database), sectors_, server_address);
    controller_->SetStatusSink(
        [this](const std::u16string& text) { statusBar()->showMessage(ToQString(text)); });
    controller_->SetMainHandle(static_cast<std::int32_t>(ui::HandleOfWidget(this)));
    service_ = std::make_shared<hosts::ServiceObject>(controller_);

    auto* splitter = new QSplitter(this);
    splitter->addWidget(BuildSectorPanel());
    form_ = std::make_shared<ui::QtControlForm>(splitter);
    splitter->addWidget(form_->Widget());
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 760});
    setCentralWidget(splitter);
    BuildToolBar();
    statusBar()->showMessage(QStringLiteral("内容服务器 ") +
                             QString::fromStdString(server_address));
    resize(1024, 640);

    facade_ = std::make_unique<control::PluginFacade>(control::TKvNewTavrix::Create(
        {form_, form_->Browser(), std::make_shared<ui::QtPopupFactory>()}));
}

TerminalWindow::~TerminalWindow() {
    ClosePlugin();
}

QWidget* TerminalWindow::BuildSectorPanel() {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(4, 4, 4, 4);
    tree_ = new QTreeWidget(panel);
    tree_->setObjectName(QStringLiteral("SectorTree"));
    tree_->setHeaderLabels({QStringLiteral("板块"), QStringLiteral("ID"), QStringLiteral("代码")});
    tree_->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    layout->addWidget(tree_);
    connect(tree_, &QTreeWidget::itemChanged, this,
            [this](QTreeWidgetItem* item) { OnItemChanged(item); });

    auto* buttons = new QHBoxLayout();
    const auto add_button = [&](const QString& text, std::function<void()> action) {
        auto* button = new QPushButton(text, panel);
        connect(button, &QPushButton::clicked, this, [this, action] { Edit(action); });
        buttons->addWidget(button);
    };
    add_button(QStringLiteral("加分组"), [this] {
        SectorNode* node = SelectedNode();
        SectorNode& parent = node != nullptr && !node->IsLeaf() ? *node : *sectors_->RootNode();
        sectors_->AddGroup(parent, u"新分组");
    });
    add_button(QStringLiteral("加板块"), [this] {
        SectorNode* node = SelectedNode();
        SectorNode* parent = node != nullptr && node->IsLeaf() ? node->Parent() : node;
        sectors_->AddSector(parent != nullptr ? *parent : *sectors_->RootNode(), u"新板块");
    });
    add_button(QStringLiteral("删除"), [this] {
        if (SectorNode* node = SelectedNode()) {
            sectors_->Remove(*node);
        }
    });
    layout->addLayout(buttons);
    RefillTree();
    return panel;
}

void TerminalWindow::BuildToolBar() {
    QToolBar* bar = addToolBar(QStringLiteral("插件"));
    bar->setObjectName(QStringLiteral("PluginBar"));
    bar->addAction(QStringLiteral("显示插件"), this,
                   [this] { ShowResult("ShowPlugin", facade_->ShowPlugin()); });
    bar->addAction(QStringLiteral("隐藏插件"), this,
                   [this] { ShowResult("HidePlugin", facade_->HidePlugin()); });
    const auto history = [this](const char16_t* command) {
        WideString reply;
        const CallResult result = facade_->ExecCommand(command, reply);
        if (result.Ok()) {
            statusBar()->showMessage(QStringLiteral("ExecCommand(%1) = \"%2\"")
                                         .arg(ToQString(command), ToQString(reply)));
        } else {
            ShowResult("ExecCommand", result);
        }
    };
    bar->addAction(QStringLiteral("后退"), this, [history] { history(u"GOTOBACK"); });
    bar->addAction(QStringLiteral("前进"), this, [history] { history(u"GOTOPREV"); });
}

void TerminalWindow::RefillTree() {
    filling_tree_ = true;
    tree_->clear();
    for (const auto& child : sectors_->RootNode()->Children()) {
        FillItem(new QTreeWidgetItem(tree_), *child);
    }
    tree_->expandAll();
    filling_tree_ = false;
}

SectorNode* TerminalWindow::SelectedNode() const {
    return NodeOf(tree_->currentItem());
}

// A renamed item or a toggled check box is an edit of the sector tree.
void TerminalWindow::OnItemChanged(QTreeWidgetItem* item) {
    SectorNode* const node = NodeOf(item);
    if (filling_tree_ || node == nullptr) {
        return;
    }
    const std::u16string name = browser::ToWideString(item->text(0));
    const bool valid = item->checkState(0) == Qt::Checked;
    Edit([&] {
        if (name != node->Name()) {
            sectors_->Rename(*node, name);
        } else if (node->IsLeaf() && valid != node->IsValid()) {
            sectors_->SetValid(*node, valid);
        }
    });
}

void TerminalWindow::Edit(const std::function<void()>& edit) {
    const CallResult result = Guarded(edit);
    // Refilled after the event handlers are done with the edited node.
    QMetaObject::invokeMethod(
        this, [this] { RefillTree(); }, Qt::QueuedConnection);
    if (!result.Ok()) {
        ShowResult("edit", result);
        return;
    }
    for (const CallResult& answer : sectors_->LastChangeResults()) {
        if (!answer.Ok()) {
            ShowResult("range change", answer);
        }
    }
}

bool TerminalWindow::StartPlugin() {
    if (started_) {
        return true;
    }
    started_ = true;
    const CallResult init = facade_->InitPlugin(service_, 0);
    ShowResult("InitPlugin", init);
    if (!init.Ok()) {
        return false;
    }
    const CallResult show = facade_->ShowPlugin();
    ShowResult("ShowPlugin", show);
    return show.Ok();
}

void TerminalWindow::ClosePlugin() {
    if (!started_ || closed_) {
        return;
    }
    closed_ = true;
    facade_->ClosePlugin();
}

QString TerminalWindow::StatusText() const {
    return statusBar()->currentMessage();
}

void TerminalWindow::SetDocumentCompleteObserver(std::function<void()> observer) {
    form_->Browser()->SetDocumentCompleteObserver([observer = std::move(observer)](const QUrl&) {
        if (observer) {
            observer();
        }
    });
}

void TerminalWindow::closeEvent(QCloseEvent* event) {
    ClosePlugin();
    event->accept();
}

void TerminalWindow::ShowResult(const char* operation, const CallResult& result) {
    if (result.Ok()) {
        return;
    }
    statusBar()->showMessage(QStringLiteral("%1 failed (0x%2): %3")
                                 .arg(QString::fromLatin1(operation))
                                 .arg(static_cast<quint32>(result.code), 8, 16, QLatin1Char('0'))
                                 .arg(ToQString(AnsiToWide(result.message))));
}

}  // namespace kvt::demo

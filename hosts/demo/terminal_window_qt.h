#pragma once
// The demo terminal's main window: the host's sector tree on the left, the plug-in panel on
// the right, buttons that drive the plug-in, and a status line for what it asked.

#include <QMainWindow>
#include <functional>
#include <memory>

#include "control/plugin_facade.h"
#include "hosts/common/service_object.h"
#include "hosts/demo/content_server.h"
#include "hosts/demo/demo_host.h"
#include "ui/control_form_qt.h"
#include "ui/popup_qt.h"

class QTreeWidget;
class QTreeWidgetItem;

namespace kvt::demo {

class TerminalWindow final : public QMainWindow {
  public:
    explicit TerminalWindow(const DemoOptions& options);
    // Closes the plug-in if that has not happened yet.
    ~TerminalWindow() override;

    // Starts the plug-in (InitPlugin, then ShowPlugin); failures go to the status line.
    bool StartPlugin();
    // Closes the plug-in once; later calls do nothing.
    void ClosePlugin();

    control::PluginFacade& Facade() { return *facade_; }
    DemoController& Controller() { return *controller_; }
    SectorTree& Sectors() { return *sectors_; }
    ContentServer* Server() { return server_.get(); }
    browser::QtBrowser& Browser() { return *form_->Browser(); }
    QString StatusText() const;

    // Runs after each completed document of the plug-in's browser.
    void SetDocumentCompleteObserver(std::function<void()> observer);

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QWidget* BuildSectorPanel();
    void BuildToolBar();
    void RefillTree();
    SectorNode* SelectedNode() const;
    void OnItemChanged(QTreeWidgetItem* item);
    void Edit(const std::function<void()>& edit);
    void ShowResult(const char* operation, const CallResult& result);

    std::unique_ptr<ContentServer> server_;
    std::shared_ptr<SectorTree> sectors_;
    std::shared_ptr<DemoController> controller_;
    std::shared_ptr<hosts::ServiceObject> service_;
    std::shared_ptr<ui::QtControlForm> form_;
    std::unique_ptr<control::PluginFacade> facade_;
    QTreeWidget* tree_ = nullptr;
    bool filling_tree_ = false;
    bool started_ = false;
    bool closed_ = false;
};

// Installs the Qt progress window platform for the process's shared progress window.
void InstallQtProgressPlatform();

}  // namespace kvt::demo

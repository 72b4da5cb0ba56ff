#include "ui/widget_handles_qt.h"

#include <QPointer>
#include <map>

namespace kvt::ui {

namespace {

struct HandleTable {
    std::map<WindowHandle, QPointer<QWidget>> widgets;
    WindowHandle next = 1;
    QPointer<QWidget> owner;
};

HandleTable& Table() {
    static HandleTable table;
    return table;
}

}  // namespace

WindowHandle HandleOfWidget(QWidget* widget) {
    HandleTable& table = Table();
    for (auto it = table.widgets.begin(); it != table.widgets.end();) {
        if (it->second.isNull()) {
            it = table.widgets.erase(it);
        } else if (it->second.data() == widget) {
            return it->first;
        } else {
            ++it;
        }
    }
    const WindowHandle handle = table.next++;
    table.widgets.emplace(handle, widget);
    return handle;
}

QWidget* WidgetOfHandle(WindowHandle handle) {
    const HandleTable& table = Table();
    const auto found = table.widgets.find(handle);
    return found != table.widgets.end() ? found->second.data() : nullptr;
}

void SetApplicationOwner(QWidget* owner) {
    Table().owner = owner;
}

QWidget* ApplicationOwner() {
    return Table().owner.data();
}

}  // namespace kvt::ui

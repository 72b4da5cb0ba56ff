#include "browser/engine_setup_qt.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QByteArray>
#include <QWebEngineUrlScheme>
#include <cstdlib>
#include <string>

namespace kvt::browser {

namespace {

bool IsPrivateDirectory(const char* path) {
    struct stat info {};
    return path != nullptr && *path != '\0' && stat(path, &info) == 0 && S_ISDIR(info.st_mode) &&
           info.st_uid == geteuid() && (info.st_mode & 0777) == 0700;
}

void EnsureRuntimeDirectory() {
    if (IsPrivateDirectory(std::getenv("XDG_RUNTIME_DIR"))) {
        return;
    }
    const std::string path = "/tmp/kvt-runtime-" + std::to_string(geteuid());
    mkdir(path.c_str(), 0700);
    chmod(path.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", path.c_str(), 1);
}

void DisableSandboxForRoot() {
    if (geteuid() != 0) {
        return;
    }
    QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (flags.contains("--no-sandbox")) {
        return;
    }
    if (!flags.isEmpty()) {
        flags += ' ';
    }
    flags += "--no-sandbox";
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags);
}

void RegisterCommandScheme() {
    QWebEngineUrlScheme scheme(kCommandScheme);
    scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
    QWebEngineUrlScheme::registerScheme(scheme);
}

}  // namespace

void PrepareWebEngineProcess() {
    static bool prepared = false;
    if (prepared) {
        return;
    }
    prepared = true;
    DisableSandboxForRoot();
    EnsureRuntimeDirectory();
    RegisterCommandScheme();
}

}  // namespace kvt::browser

// The message filter of a quiet headless start. It matches whole texts, so a warning about a
// runtime folder with the wrong owner or permissions, a missing platform plugin or any other
// fault still reaches standard error.
#include "ui/QuietStart.h"

#include <cstring>

namespace velkor {
namespace {

// The offscreen platform's notice when a layout gives the window a minimum size.
const char* const kSizeHintsNotice = "This plugin does not support propagateSizeHints()";
// Qt's notice when it falls back to /tmp/runtime-<user>, followed by that folder and "'".
const char* const kRuntimeDirPrefix = "QStandardPaths: XDG_RUNTIME_DIR not set, defaulting to '";

QtMessageHandler gPrevious = nullptr;

void FilterMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (IsHarmlessStartNotice(type, context.category, message)) return;
    if (gPrevious != nullptr) gPrevious(type, context, message);
}

} // namespace

bool IsHarmlessStartNotice(QtMsgType type, const char* category, const QString& message) {
    if (type != QtWarningMsg) return false;
    if (category != nullptr && std::strcmp(category, "default") != 0) return false;
    if (message == QLatin1String(kSizeHintsNotice)) return true;
    const QLatin1String prefix(kRuntimeDirPrefix);
    return message.startsWith(prefix) && message.size() > prefix.size() + 1 &&
           message.endsWith(QLatin1Char('\'')) && !message.contains(QLatin1Char('\n'));
}

void InstallQuietStart() {
    gPrevious = qInstallMessageHandler(FilterMessage);
}

} // namespace velkor

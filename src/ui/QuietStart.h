// Qt's notices that every headless start on a machine without a desktop session gives, and
// that tell the user nothing: they are dropped; every other message of Qt goes on as before.
#pragma once

#include <QString>
#include <QtGlobal>

namespace velkor {

// True for exactly the two notices of a headless start: the offscreen platform cannot pass
// size hints to a window system it does not have, and Qt falls back to a runtime folder of its
// own where XDG_RUNTIME_DIR is not set.
bool IsHarmlessStartNotice(QtMsgType type, const char* category, const QString& message);

// Installs a message handler that drops those notices and hands every other message to the
// handler it replaces (standard error, QT_MESSAGE_PATTERN). Call before the QApplication.
void InstallQuietStart();

} // namespace velkor

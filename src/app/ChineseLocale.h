#pragma once

class QCoreApplication;

namespace quollin {

// The program speaks Chinese, and so do Qt's own dialogs in it (file dialogs,
// print preview, progress dialogs, Qt's questions): the default locale
// becomes Chinese (China) and Qt's Chinese catalogue is installed on `app`.
// False when that catalogue is not installed (Debian: qt6-translations-l10n);
// the locale is Chinese all the same and Qt's dialogs then stay English.
bool speakChinese(QCoreApplication &app);

} // namespace quollin

#pragma once

#include <QString>

namespace quollin {

class DbError;

// The text a window shows for a database failure. The engine's English words
// ("database is locked", ...) follow a Chinese sentence the shop owner can act
// on, so that support still sees what the engine said:
//   数据库文件正被其他程序使用，请关闭其他程序后再试。（database is locked）
// A refusal this program worded itself is shown as it stands.
QString engineMessage(const DbError &error);

// The Chinese sentence alone for an engine result code (primary or extended).
QString engineSentence(int resultCode);

} // namespace quollin

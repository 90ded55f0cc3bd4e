#include "core/EngineMessage.h"

#include "core/Database.h"

#include <sqlite3.h>

namespace quollin {

QString engineSentence(int resultCode)
{
    switch (resultCode) {
    case DbError::kServerLost:
        return QStringLiteral("与数据库服务器的连接断开了，这次操作没有保存。程序会在下一次操作时自动重新连接。");
    case DbError::kConflict:
        return QStringLiteral("另一台收银机正在修改同样的数据，这次操作没有保存，请再试一次。");
    case DbError::kServerRefused:
        return QStringLiteral("无法连接数据库服务器，请检查服务器地址、数据库名、用户名和密码。");
    default:
        break;
    }
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库文件正被其他程序使用，请关闭其他程序后再试。");
    case SQLITE_NOTADB:
        return QStringLiteral("这个文件不是本程序的数据库文件，或者已经损坏，无法打开。");
    case SQLITE_CANTOPEN:
        return QStringLiteral("无法打开数据库文件，请检查文件和它所在的文件夹是否存在、能否读写。");
    case SQLITE_CORRUPT:
        return QStringLiteral("数据库文件已经损坏，请用备份恢复（“数据备份”窗口中的“恢复数据库”）。");
    case SQLITE_READONLY:
        return QStringLiteral("数据库文件只能读不能写，请检查文件和它所在文件夹的写入权限。");
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("没有访问数据库文件的权限。");
    case SQLITE_FULL:
        return QStringLiteral("磁盘已满，数据没有保存。请腾出磁盘空间后再试。");
    case SQLITE_IOERR:
        return QStringLiteral("读写数据库文件时出错，数据没有保存。请检查磁盘或移动存储设备是否正常。");
    case SQLITE_NOMEM:
        return QStringLiteral("内存不足，数据没有保存。请关闭其他程序后再试。");
    case SQLITE_TOOBIG:
        return QStringLiteral("内容太长，数据没有保存。");
    case SQLITE_CONSTRAINT:
        return QStringLiteral("这条数据与已有的数据冲突，没有保存。");
    case SQLITE_INTERRUPT:
    case SQLITE_ABORT:
        return QStringLiteral("数据库操作被中断，数据没有保存。");
    case SQLITE_NOLFS:
        return QStringLiteral("数据库文件太大，这个磁盘无法存放。");
    case SQLITE_PROTOCOL:
        return QStringLiteral("数据库文件的锁定出错，请关闭其他使用它的程序后再试。");
    default:
        return QStringLiteral("数据库操作出错，请把括号中的说明告诉技术支持。");
    }
}

QString engineMessage(const DbError &error)
{
    if (!error.isTechnical())
        return error.message();
    const QString words = error.message().trimmed();
    if (words.isEmpty())
        return engineSentence(error.code());
    return engineSentence(error.code()) + QStringLiteral("（") + words + QStringLiteral("）");
}

} // namespace quollin

// Takes backups or restores them over and over until it is killed. The crash
// test starts it and kills it at random moments.
//
// Usage: maintenance_loop backup <shop file> <target>
//        maintenance_loop restore <shop file> <backup one> <backup two>
//        maintenance_loop import <shop file> <workbook>
#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "maintenance/BackupFile.h"
#include "maintenance/DatabaseBackup.h"
#include "maintenance/GoodsImport.h"

#include <QCoreApplication>
#include <QString>

#include <cstdio>

using namespace quollin;

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 4) {
        std::fprintf(stderr, "usage: maintenance_loop backup|restore|import <shop file> <file> [<file>]\n");
        return 2;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    if (args[1] == QLatin1String("backup")) {
        for (;;) {
            const BackupFile::Result r = BackupFile::copy(args[2], args[3]);
            if (!r.ok) {
                std::fprintf(stderr, "maintenance_loop: %s\n", r.reason.toUtf8().constData());
                return 3;
            }
        }
    }
    SettingsStore settings(args[2] + QStringLiteral(".ini"));
    Shop shop(ShopDatabase::open(args[2]), settings);
    if (!shop.signIn(ShopDatabase::kSuperAdministrator, ShopDatabase::kInitialPassword).ok)
        return 3;
    if (args[1] == QLatin1String("import")) {
        for (;;) {
            const GoodsImport::Outcome r = shop.goodsImport().run(args[3], args[2]);
            if (r.result != GoodsImport::Result::Done) {
                std::fprintf(stderr, "maintenance_loop: %s\n", r.message.toUtf8().constData());
                return 3;
            }
        }
    }
    if (args.size() != 5)
        return 2;
    for (int turn = 0;; ++turn) {
        const DatabaseBackup::Restore r = shop.backups().restore(args[3 + turn % 2]);
        if (r.outcome != DatabaseBackup::RestoreOutcome::Restored) {
            std::fprintf(stderr, "maintenance_loop: %s\n", r.reason.toUtf8().constData());
            return 3;
        }
    }
}

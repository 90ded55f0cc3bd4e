#pragma once

#include "core/SettingsStore.h"
#include "session/Shop.h"
#include "core/ShopDatabase.h"
#include "goods/GoodsRecord.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnvironment.h"

#include <memory>

namespace quollin::test {

// One shop over a test's own files: a new database, its settings, the
// session and a prompter that answers as the test says.
class ShopFixture {
public:
    enum class Start { Closed, SignedInAsSuper };
    explicit ShopFixture(Start start = Start::Closed);
    // Another start of the program on an existing file, not signed in: a
    // second till beside the first (settings of its own) or a restart (the
    // first one's settings).
    ShopFixture(const QString &databasePath, const QString &settingsPath);
    ~ShopFixture();

    Shop &shop() { return *m_shop; }
    Database &db() { return m_shop->db(); }
    GoodsStore &goods() { return m_shop->goods(); }

    // Signs in through the shop's own rule (writes the log row).
    bool signIn(const QString &name = ShopDatabase::kSuperAdministrator,
                const QString &password = ShopDatabase::kInitialPassword);
    // An account with the initial password, written as a file would hold it.
    void addOperator(const QString &name);

    // Rows as an existing file holds them, written past the rules (and their
    // rights checks): what a test starts from.
    qint64 seedGoods(const GoodsRecord &record);
    // A goods row bought in and not sold yet: all of it in stock, its
    // amounts at the purchase price.
    static GoodsRecord boughtIn(const QString &name, double purchasePrice, double quantity,
                                const QString &day = QStringLiteral("2024-03-01"));
    qint64 count(const QString &table);

    TestEnvironment env;
    SettingsStore settings{env.settingsPath()};
    ScriptedPrompter prompter;

private:
    std::unique_ptr<Shop> m_shop;
};

} // namespace quollin::test

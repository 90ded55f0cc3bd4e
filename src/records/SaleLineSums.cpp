#include "records/SaleLineSums.h"

#include "core/Database.h"
#include "core/Money.h"
#include "core/Schema.h"
#include "core/ShopDatabase.h"

#include <QMetaObject>

#include <algorithm>

namespace quollin {

std::optional<std::vector<double>> countLineSums(Database &db, const std::vector<qint64> &ids,
                                                 const std::vector<SumField> &fields,
                                                 const std::function<bool()> &abandoned)
{
    std::vector<Money> fen(fields.size());
    std::vector<double> plain(fields.size(), 0.0);
    QString columns;
    for (const SumField &f : fields)
        columns += QStringLiteral(",\"") + f.field + QLatin1Char('"');
    const auto add = [&](const Statement &s) {
        for (size_t i = 0; i < fields.size(); ++i) {
            const int at = int(i) + 1;
            if (s.isNull(at))
                continue;
            if (fields[i].money)
                fen[i] += Money::fromValue(s.real(at));
            else
                plain[i] += s.real(at);
        }
    };
    if (!ids.empty()) {
        Statement last = db.prepare(QStringLiteral("SELECT max(\"ID\") FROM data1"));
        const qint64 maxId = last.next() ? last.integer(0) : 0;
        last.reset();
        int stepped = 0;
        if (qint64(ids.size()) * 20 > maxId) {
            // Lines spread over most of the table: one pass over it reads
            // every page once, where reading them by ID would read most
            // pages many times.
            std::vector<bool> wanted(size_t(std::max<qint64>(maxId, 0)) + 1, false);
            for (qint64 id : ids)
                if (id >= 0 && id <= maxId)
                    wanted[size_t(id)] = true;
            Statement s = db.prepare(QStringLiteral("SELECT \"ID\"") + columns + QStringLiteral(" FROM data1"));
            while (s.next()) {
                if ((++stepped & 4095) == 0 && abandoned && abandoned())
                    return std::nullopt;
                const qint64 id = s.integer(0);
                if (id >= 0 && id <= maxId && wanted[size_t(id)])
                    add(s);
            }
        } else {
            for (size_t from = 0; from < ids.size(); from += Schema::kBoundChunk) {
                if (abandoned && abandoned())
                    return std::nullopt;
                const size_t n = std::min(Schema::kBoundChunk, ids.size() - from);
                Statement s = db.prepare(QStringLiteral("SELECT \"ID\"") + columns + QStringLiteral(" FROM data1 WHERE \"ID\" IN (")
                                         + Schema::placeholders(n) + QLatin1Char(')'));
                for (size_t i = 0; i < n; ++i)
                    s.bind(int(i + 1), ids[from + i]);
                while (s.next())
                    add(s);
            }
        }
    }
    std::vector<double> sums(fields.size());
    for (size_t i = 0; i < fields.size(); ++i)
        sums[i] = fields[i].money ? fen[i].value() : plain[i];
    return sums;
}

SaleLineSums::SaleLineSums(QString path, QObject *parent) : QObject(parent), m_path(std::move(path))
{
    m_thread = std::thread([this] { run(); });
}

SaleLineSums::~SaleLineSums()
{
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread.join();
}

void SaleLineSums::count(std::vector<qint64> ids, std::vector<SumField> fields)
{
    {
        const std::lock_guard lock(m_mutex);
        ++m_asked;
        m_ids = std::move(ids);
        m_fields = std::move(fields);
        m_result.reset();
    }
    m_wake.notify_all();
}

bool SaleLineSums::done() const
{
    const std::lock_guard lock(m_mutex);
    return m_answered == m_asked;
}

std::optional<std::vector<double>> SaleLineSums::wait()
{
    std::unique_lock lock(m_mutex);
    m_finished.wait(lock, [this] { return m_answered == m_asked; });
    return m_result;
}

void SaleLineSums::run()
{
    // The connection belongs to this thread: opened at the first count, closed
    // when the thread ends.
    std::unique_ptr<Database> db;
    for (;;) {
        std::vector<qint64> ids;
        std::vector<SumField> fields;
        quint64 job = 0;
        {
            std::unique_lock lock(m_mutex);
            m_wake.wait(lock, [this] { return m_stop || m_asked != m_answered; });
            if (m_stop)
                break;
            job = m_asked;
            ids = std::move(m_ids);
            fields = std::move(m_fields);
        }
        std::optional<std::vector<double>> sums;
        try {
            if (!db)
                db = Database::open(m_path, QByteArray(ShopDatabase::kKey), Database::OpenMode::ExistingOnly);
            sums = countLineSums(*db, ids, fields, [this, job] {
                const std::lock_guard lock(m_mutex);
                return m_stop || m_asked != job;
            });
            if (!sums) // abandoned for a newer count
                continue;
        } catch (const DbError &) {
            // The caller counts on its own connection instead.
            db.reset();
        }
        {
            const std::lock_guard lock(m_mutex);
            if (m_asked != job)
                continue;
            m_result = std::move(sums);
            m_answered = job;
        }
        m_finished.notify_all();
        QMetaObject::invokeMethod(this, [this] { emit counted(); }, Qt::QueuedConnection);
    }
    // Waiters are not left waiting for a thread that has ended.
    {
        const std::lock_guard lock(m_mutex);
        m_answered = m_asked;
    }
    m_finished.notify_all();
}

} // namespace quollin

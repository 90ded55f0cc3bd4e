#include "Tills.h"

#include "core/Database.h"

#include <QElapsedTimer>
#include <QSet>
#include <QTest>

namespace quollin::test {

bool waitUntil(const std::function<bool()> &done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > ms)
            return false;
        QTest::qWait(20);
    }
    return true;
}

TillProcess::~TillProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString TillProcess::start(const QString &uri, quint32 seed, int attempts, const QString &settingsPath)
{
    m_out.clear();
    m_process.start(QStringLiteral(TILL_LOOP_PATH), {uri, QString::number(m_number), QString::number(seed),
                                                      QString::number(attempts), settingsPath});
    if (!m_process.waitForStarted(10000))
        return m_process.errorString();
    if (!waitUntil([this] { read(); return m_out.startsWith("ready\n") || m_process.state() == QProcess::NotRunning; },
                   30000)
        || !m_out.startsWith("ready\n"))
        return QStringLiteral("till %1 never got ready: %2").arg(m_number).arg(errors());
    return {};
}

void TillProcess::read() { m_out += m_process.readAllStandardOutput(); }

bool TillProcess::isDone()
{
    read();
    return m_out.contains("\ndone\n");
}

QString TillProcess::stop()
{
    m_process.write("stop\n");
    if (!waitUntil([this] { return isDone() || m_process.state() == QProcess::NotRunning; }, 30000) || !isDone())
        return QStringLiteral("till %1 did not stop: %2").arg(m_number).arg(errors());
    return {};
}

QString TillProcess::kill()
{
    m_process.kill();
    if (!m_process.waitForFinished(10000) || m_process.exitStatus() != QProcess::CrashExit)
        return QStringLiteral("till %1 did not die by the signal").arg(m_number);
    read();
    // Half a line is what the till was writing when it died: not reported.
    m_out.truncate(m_out.lastIndexOf('\n') + 1);
    return {};
}

QString TillProcess::held(QMap<qint64, HeldRow> *rows)
{
    const qsizetype from = m_out.size();
    m_process.write("held\n");
    if (!waitUntil([this, from] { read(); return m_out.indexOf("end\n", from) >= 0; }, 30000))
        return QStringLiteral("till %1 did not list its rows: %2").arg(m_number).arg(errors());
    rows->clear();
    const QList<QByteArray> lines = m_out.mid(from, m_out.indexOf("end\n", from) - from).split('\n');
    for (const QByteArray &line : lines) {
        const QList<QByteArray> words = line.split(' ');
        if (words.size() == 6 && words[0] == "row")
            rows->insert(words[1].toLongLong(),
                         {words[2].toDouble(), words[3].toDouble(), words[4].toDouble(), words[5].toDouble()});
    }
    return {};
}

QString TillProcess::quit()
{
    m_process.write("quit\n");
    if (!m_process.waitForFinished(10000) || m_process.exitStatus() != QProcess::NormalExit
        || m_process.exitCode() != 0)
        return QStringLiteral("till %1 ended badly: %2").arg(m_number).arg(errors());
    return {};
}

QString TillProcess::customer() const { return QString::number(m_number) + QStringLiteral("号收银台"); }

QList<QByteArray> TillProcess::reported(const QByteArray &kind) const
{
    QList<QByteArray> out;
    const QByteArray prefix = kind + ' ';
    for (const QByteArray &line : m_out.left(m_out.lastIndexOf('\n')).split('\n'))
        if (line.startsWith(prefix))
            out << line.mid(prefix.size());
    return out;
}

QString checkBooks(Database &db)
{
    // Amounts compared in fen, quantities in hundredths (the same rounding).
    Statement rows = db.prepare(QStringLiteral(
        "SELECT d.\"ID\", fen(d.\"2\"), fen(d.\"5\"), fen(d.\"6\"), fen(d.\"7\"), "
        "coalesce(sum(fen(l.\"3\")), 0), coalesce(sum(fen(l.\"4\")), 0), count(l.\"ID\") "
        "FROM data d LEFT JOIN data1 l ON l.goods_id = d.\"ID\" GROUP BY d.\"ID\" ORDER BY d.\"ID\""));
    while (rows.next()) {
        const qint64 purchased = rows.integer(1), sold = rows.integer(2), amount = rows.integer(3),
                     stock = rows.integer(4), linesSold = rows.integer(5), linesAmount = rows.integer(6);
        const QString row = QStringLiteral("goods row %1 with %2 lines: ").arg(rows.integer(0)).arg(rows.integer(7));
        if (sold != linesSold)
            return row + QStringLiteral("sold %1/100, its lines add up to %2/100").arg(sold).arg(linesSold);
        if (amount != linesAmount)
            return row + QStringLiteral("sales amount %1 fen, its lines add up to %2").arg(amount).arg(linesAmount);
        if (stock != purchased - sold)
            return row + QStringLiteral("stock %1/100, purchased %2 less sold %3").arg(stock).arg(purchased).arg(sold);
        if (stock < 0)
            return row + QStringLiteral("stock below zero: %1/100").arg(stock);
    }
    Statement shared = db.prepare(QStringLiteral(
        "SELECT z, string_agg(DISTINCT g, ',') FROM data1 GROUP BY z HAVING count(DISTINCT g) > 1"));
    if (shared.next())
        return QStringLiteral("slip %1 holds lines of %2").arg(shared.text(0), shared.text(1));
    return {};
}

QString checkReported(Database &db, const TillProcess &till)
{
    Statement line = db.prepare(QStringLiteral("SELECT z, g FROM data1 WHERE \"ID\"=:id"));
    for (const QByteArray &sold : till.reported("sold")) {
        const QList<QByteArray> words = sold.split(' ');
        line.reset();
        line.bind(":id", words.value(0).toLongLong());
        if (!line.next())
            return QStringLiteral("till %1 reported line %2 confirmed; it is not on the server")
                .arg(till.number())
                .arg(QString::fromUtf8(words.value(0)));
        if (line.text(0) != QString::fromUtf8(words.value(1)) || line.text(1) != till.customer())
            return QStringLiteral("till %1 reported line %2 on slip %3; the server has it on %4 for %5")
                .arg(till.number())
                .arg(QString::fromUtf8(words.value(0)), QString::fromUtf8(words.value(1)), line.text(0),
                     line.text(1));
    }
    return {};
}

QMap<qint64, HeldRow> serverRows(Database &db)
{
    QMap<qint64, HeldRow> rows;
    Statement s = db.prepare(QStringLiteral("SELECT \"ID\", \"5\", \"6\", \"7\", \"8\" FROM data"));
    while (s.next())
        rows.insert(s.integer(0), {s.real(1), s.real(2), s.real(3), s.real(4)});
    return rows;
}

} // namespace quollin::test

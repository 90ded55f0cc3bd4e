#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QProcess>
#include <QString>

#include <functional>

namespace quollin {
class Database;
}

namespace quollin::test {

// Spins the event loop (other tills are heard meanwhile) until `done`
// holds; false after `ms` milliseconds.
bool waitUntil(const std::function<bool()> &done, int ms);

// The values of a goods row that sales change, as a till holds them or the
// server has them.
struct HeldRow {
    double sold = 0, salesAmount = 0, stock = 0, stockValue = 0;
    bool operator==(const HeldRow &) const = default;
};

// One till_loop child and what it reported.
class TillProcess {
public:
    explicit TillProcess(int number) : m_number(number) {}
    ~TillProcess();
    TillProcess(const TillProcess &) = delete;
    TillProcess &operator=(const TillProcess &) = delete;

    // Starts the till and waits until it is in its loop; attempts 0 sells
    // until stop(). Returns what went wrong, or nothing.
    QString start(const QString &uri, quint32 seed, int attempts, const QString &settingsPath);
    // Takes in what the till wrote so far.
    void read();
    bool isDone();
    QString stop();
    // SIGKILL, wherever the till is.
    QString kill();
    // The goods rows it holds after hearing the others.
    QString held(QMap<qint64, HeldRow> *rows);
    QString quit();

    int number() const { return m_number; }
    // The customer its lines carry.
    QString customer() const;
    // The complete lines written, each without its first word: "sold 12
    // 20240305001" comes as "12 20240305001" under "sold".
    QList<QByteArray> reported(const QByteArray &kind) const;
    QString errors() { return QString::fromUtf8(m_process.readAllStandardError()); }

private:
    int m_number;
    QProcess m_process;
    QByteArray m_out;
};

// Checks the books on the server: every goods row's sold quantity and
// sales amount are its lines' sums, its stock is purchased less sold and
// not below zero; no slip carries lines of two tills. Returns the first
// fault found, or nothing.
QString checkBooks(Database &db);

// Checks that every sale a till reported confirmed is on the server, on the
// slip it reported, under the till's customer.
QString checkReported(Database &db, const TillProcess &till);

// The server's values of every goods row.
QMap<qint64, HeldRow> serverRows(Database &db);

} // namespace quollin::test

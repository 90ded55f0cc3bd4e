#pragma once

#include <QObject>
#include <QString>

#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quollin {

class Database;

// A column summed under a list of lines: amounts add up in whole fen, each
// as its cell shows it, quantities as they are.
struct SumField {
    QString field;
    bool money = false;
};

// The sums of the fields over the lines with these IDs (ascending). Stops
// early with nothing when abandoned() says so.
std::optional<std::vector<double>> countLineSums(Database &db, const std::vector<qint64> &ids,
                                                 const std::vector<SumField> &fields,
                                                 const std::function<bool()> &abandoned = {});

// Counts sums of sale lines in a thread of its own, on its own connection to
// the shop's file, so that the window answers while a million lines are
// added up. A new count abandons the one running.
class SaleLineSums : public QObject {
    Q_OBJECT
public:
    explicit SaleLineSums(QString path, QObject *parent = nullptr);
    // Abandons the count running, closes the connection, ends the thread.
    ~SaleLineSums() override;

    void count(std::vector<qint64> ids, std::vector<SumField> fields);
    // Waits for the count asked last. Its sums; none when it failed.
    std::optional<std::vector<double>> wait();
    bool done() const;

signals:
    // The count asked last is done.
    void counted();

private:
    void run();

    const QString m_path;
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_finished;
    bool m_stop = false;
    quint64 m_asked = 0;    // the count asked last
    quint64 m_answered = 0; // the last one done
    std::vector<qint64> m_ids;
    std::vector<SumField> m_fields;
    std::optional<std::vector<double>> m_result;
    std::thread m_thread;
};

} // namespace quollin

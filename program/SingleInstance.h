// One copy of the program per user session: the first copy listens under a per-user name in a
// folder only that user can write; a later copy finds it, asks it to bring its window forward,
// and ends without touching anything.
#pragma once

#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;
class QWidget;

namespace dosarium {

class SingleInstance : public QObject {
    Q_OBJECT
public:
    // `key` tells programs apart (the application title); the user's id is added to it.
    explicit SingleInstance(const QString &key, QObject *parent = nullptr);
    ~SingleInstance() override;

    // True when another copy answered: it has been asked to come forward and this one must end.
    // Otherwise this copy starts listening and becomes the one that others find.
    bool anotherCopyRuns();

    // The window to bring forward when a later copy starts; restored when minimised, else raised.
    void setActivationTarget(std::function<QWidget *()> target);

    // The socket's whole path; empty when no folder of the user's own could be had.
    QString serverName() const { return m_name; }

    static void bringForward(QWidget *window);

signals:
    void activationRequested();

private:
    bool askRunningCopy();
    void onConnection();

    QString m_key;
    QString m_name;
    QLocalServer *m_server = nullptr;
    std::function<QWidget *()> m_target;
};

} // namespace dosarium

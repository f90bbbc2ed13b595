#pragma once

#include <QObject>

#include <deque>
#include <functional>
#include <mutex>

namespace pelvoro {

// Calls handed from one thread to the thread this object lives on, run there in the order they
// were posted. The calls wait in a queue of its own under a mutex, and only a bare wake-up goes
// through Qt's event queue: what a call carries is handed over where a thread checker can see it.
class Mailbox : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~Mailbox() override;

    // Any thread.
    void Post(std::function<void()> call);

private:
    Q_INVOKABLE void RunOne();

    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
};

} // namespace pelvoro

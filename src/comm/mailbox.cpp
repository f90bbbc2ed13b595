#include "comm/mailbox.h"

namespace pelvoro {

Mailbox::~Mailbox()
{
    std::deque<std::function<void()>> dropped;
    std::lock_guard lock(mutex_);
    dropped.swap(calls_); // never run: their thread is done with them
}

void Mailbox::Post(std::function<void()> call)
{
    {
        std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call));
    }
    // By name: the wake-up carries nothing of ours.
    QMetaObject::invokeMethod(this, "RunOne", Qt::QueuedConnection);
}

void Mailbox::RunOne()
{
    std::function<void()> call;
    {
        std::lock_guard lock(mutex_);
        if (calls_.empty())
            return;
        call = std::move(calls_.front());
        calls_.pop_front();
    }
    call();
}

} // namespace pelvoro

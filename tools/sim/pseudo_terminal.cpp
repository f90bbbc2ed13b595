#include "sim/pseudo_terminal.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

namespace pelvoro {
namespace {

QString SystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

PseudoTerminal::~PseudoTerminal()
{
    CloseCardEnd();
    if (slave_ >= 0)
        ::close(slave_);
}

bool PseudoTerminal::Open(QString *error)
{
    auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0)
        return fail(QStringLiteral("cannot open a pseudo-terminal: %1").arg(SystemError()));
    const char *name = ::ptsname(master_);
    if (!name)
        return fail(QStringLiteral("cannot name the pseudo-terminal"));
    device_ = QString::fromLocal8Bit(name);
    slave_ = ::open(name, O_RDWR | O_NOCTTY);
    if (slave_ < 0)
        return fail(QStringLiteral("cannot open %1: %2").arg(device_, SystemError()));
    termios settings{};
    if (::tcgetattr(slave_, &settings) == 0) {
        ::cfmakeraw(&settings);
        ::tcsetattr(slave_, TCSANOW, &settings);
    }
    ::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK);
    return true;
}

QByteArray PseudoTerminal::ReadAvailable()
{
    QByteArray bytes;
    if (master_ < 0)
        return bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(master_, buffer, sizeof buffer);
        if (n > 0) {
            bytes.append(buffer, n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        return bytes;
    }
}

void PseudoTerminal::WriteAll(QByteArrayView bytes)
{
    qsizetype done = 0;
    while (master_ >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(master_, bytes.data() + done, size_t(bytes.size() - done));
        if (n > 0)
            done += n;
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return;
    }
}

void PseudoTerminal::CloseCardEnd()
{
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

} // namespace pelvoro
